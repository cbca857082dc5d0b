#include "app/MainMpris.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/Main.h"
#include "components/RXSlider.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DiscNames.h"
#include "platform/lookup/OnlineNames.h"
#include "platform/mpris/Mpris.h"
#include "platform/profile/IniFile.h"

namespace {

// "mm:ss" as microseconds; 0 when it is no time.
qint64 micros(const QString& text) {
    bool minutesOk = false;
    bool secondsOk = false;
    const int minutes = text.section(u':', 0, 0).toInt(&minutesOk);
    const int seconds = text.section(u':', 1, 1).toInt(&secondsOk);
    if (!minutesOk || !secondsOk) return 0;
    return (qint64(minutes) * 60 + seconds) * 1'000'000;
}

}  // namespace

class MainMediaPlayer : public corvina::mpris::MprisPlayer {
public:
    explicit MainMediaPlayer(TFormMain& form) : form_(form) {}

    corvina::mpris::PlayerState state() const override {
        corvina::mpris::PlayerState s;
        // The volume bar's value, with or without a disc.
        s.volume = form_.VolumeBar->Value() / 65535.0;
        s.volumeSettable = true;
        s.discPresent = form_.DiscPresent;
        if (!s.discPresent) return s;
        if (form_.Playing) s.status = QStringLiteral("Playing");
        if (form_.Paused) s.status = QStringLiteral("Paused");
        s.track = form_.TrackNo.toInt();
        s.title = trackName(s.track);
        s.artist = form_.DiscArtist;
        s.album = form_.DiscAlbum;
        s.length = micros(form_.TrackLengthText);
        s.position = micros(form_.PositionText);
        s.artUrl = corvina::lookup::coverArtUrl(form_.DriveRoot);
        return s;
    }

    // Raising and quitting wait for the bus call to be answered: the exit sequence ends the
    // program, and a client should not see its call fail.
    void raise() override {
        later([this] { form_.WMActivateInstance(); });
    }
    void quit() override {
        later([this] { form_.MenuExitClick(nullptr); });
    }
    void play() override {
        run([this] { form_.CDPlay(nullptr); });
    }
    void pause() override {
        run([this] { form_.CDPause(nullptr); });
    }
    void stop() override {
        run([this] { form_.CDStop(nullptr); });
    }
    void next() override {
        run([this] { form_.CDNext(nullptr); });
    }
    void previous() override {
        run([this] { form_.CDPrevious(nullptr); });
    }
    void seek(qint64 offset) override {
        // The buttons' 10-second step, by any amount: the same commands, counted in milliseconds.
        const qint64 most = std::numeric_limits<int>::max() / 2;
        const int ms = int(std::clamp<qint64>(offset / 1000, -most, most));
        run([this, ms] {
            if (form_.DiscPresent && ms != 0) form_.rewindOrForward(ms);
        });
    }
    // As if the bar had been moved there: the mixer line follows through its change handler.
    void setVolume(double volume) override {
        run([this, volume] { form_.VolumeBar->setValue(int(std::lround(volume * 65535))); });
    }

private:
    // The current track's name as the next tick will show it (the window's own `TrackName`
    // follows a track change one tick late).
    QString trackName(int track) const {
        const QString fallback = corvina::cd::DiscNames::orDefault(
            corvina::lookup::discNames(form_.DriveRoot).track(track),
            QStringLiteral("Track ") + form_.TrackNo);
        try {
            const corvina::TIniFile titles(corvina::discTitleFilePath());
            return titles.readString(form_.DiscSerial, QString::number(track - 1), fallback);
        } catch (const corvina::Error&) {
            return fallback;
        }
    }
    static void run(const std::function<void()>& handler) { corvina::runHandler(handler); }
    void later(std::function<void()> handler) {
        QMetaObject::invokeMethod(
            &form_, [handler = std::move(handler)] { corvina::runHandler(handler); },
            Qt::QueuedConnection);
    }

    TFormMain& form_;
};

namespace corvina {

std::shared_ptr<void> startMediaControls(TFormMain& form) {
    auto player = std::make_shared<MainMediaPlayer>(form);
    if (!mpris::startService(*player)) return nullptr;
    return std::shared_ptr<void>(nullptr, [player](void*) { mpris::stopService(); });
}

}  // namespace corvina
