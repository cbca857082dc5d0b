#pragma once
// The main window: owns the whole player state (play flags, display texts, view flags, drive
// root) and every component of the player.
#include <QString>
#include <QWidget>

class TFormMain : public QWidget {
    Q_OBJECT
public:
    explicit TFormMain(QWidget* parent = nullptr);
    ~TFormMain() override;

    // Play state, written by the transport commands and the CD timer tick.
    bool Playing = false;
    bool Paused = false;
    bool Stopped = false;
    bool DoorClosed = true;
    bool DiscPresent = false;

    // Display texts kept by the tick.
    QString TrackNo;
    QString TrackCount;
    QString PositionMin;
    QString PositionSec;
    QString PositionText;
    QString TrackLengthText;
    QString DiscLengthText;
    QString DiscSerial;
    QString DiscArtist;
    QString DiscAlbum;
    QString TrackName;

    // View flags and the CD drive's root ("E:"), set once at start.
    bool PortivoView = false;
    bool Minimized = false;
    QString DriveRoot;

    // The exit sequence.
    void MenuExitClick(QObject* sender);

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool exiting_ = false;
};

// The application's single main window (null before it is created and after it is destroyed).
extern TFormMain* FormMain;
