#pragma once
// The two MPRIS interfaces as Qt D-Bus adaptors of one object. Private to Mpris.cpp.
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

#include "platform/mpris/Mpris.h"

namespace corvina::mpris {

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    RootAdaptor(QObject* object, MprisPlayer& player);
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    MprisPlayer& player_;
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canControlDisc)
    Q_PROPERTY(bool CanGoPrevious READ canControlDisc)
    Q_PROPERTY(bool CanPlay READ canControlDisc)
    Q_PROPERTY(bool CanPause READ canControlDisc)
    Q_PROPERTY(bool CanSeek READ canControlDisc)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    PlayerAdaptor(QObject* object, MprisPlayer& player);
    QString playbackStatus() const { return player_.state().status; }
    double rate() const { return 1.0; }
    void setRate(double) {}  // a CD plays at one speed
    QVariantMap metadata() const { return mpris::metadata(player_.state()); }
    double volume() const { return player_.state().volume; }
    void setVolume(double volume);
    qlonglong position() const { return player_.state().position; }
    bool canControlDisc() const { return player_.state().discPresent; }
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position);
    void OpenUri(const QString&) {}  // a CD player opens no addresses

signals:
    void Seeked(qlonglong position);

private:
    MprisPlayer& player_;
};

}  // namespace corvina::mpris
