#pragma once
// The main window: owns the whole player state (play flags, display texts, view flags, drive
// root) and every component of the player.
//
// The window polls the CD device once a second (`TimerCDTimer`) and after every transport
// command; the poll is the only display logic of the CD side. Handlers run on the UI thread; the
// timer, the controls and the single-instance hand-over call them through corvina::runHandler,
// so a handler that throws is reported and the window carries on.
#include <QString>
#include <QTimer>
#include <QWidget>

#include "app/CdDevice.h"

namespace corvina::cd {
struct DriveChanges;
}

class TAudioMixer;
class TFlatHint;
class TImage;
class TLabel;
class TLCD;
class TMenuItem2000;
class TPopupMenu2000;
class TRxSlider;
class TScreenSnap;
class TScrollingText;
class TSuperButton;
class TTrayIcon;

class TFormMain : public QWidget {
    Q_OBJECT
public:
    // Creates every component in its stored order, starts `TimerCD`, then runs `FormCreate`
    // (an error there is reported; the window is still created, as far as it got).
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

    // False when start-up asks for the window to stay hidden (minimised to the tray at start).
    bool ShowMainForm = true;

    // The application title: the text of the player's taskbar entry (the window title).
    QString ApplicationTitle() const { return windowTitle(); }
    void setApplicationTitle(const QString& title);

    // Components, in their stored order.
    QTimer* TimerCD = nullptr;
    TImage* MenuIcon = nullptr;
    TImage* IconPlaying = nullptr;
    TImage* IconPaused = nullptr;
    TImage* IconStopped = nullptr;
    TImage* IconDisc = nullptr;
    TImage* IconMuteTrue = nullptr;
    TImage* IconMuteFalse = nullptr;
    QWidget* Portivo = nullptr;
    TImage* ImagePortivo = nullptr;
    TImage* PortivoIcon = nullptr;
    TScrollingText* ScrollText = nullptr;
    TLabel* LabelStatus = nullptr;
    TLabel* LabelTime = nullptr;
    TLabel* LabelTrack = nullptr;
    TLabel* LabelVersion = nullptr;
    TLabel* LabelSysTime = nullptr;
    TLCD* LCDTrack = nullptr;
    TLCD* LCDTime1 = nullptr;
    TLCD* LCDTime2 = nullptr;
    TSuperButton* CorvinaPlay = nullptr;
    TSuperButton* CorvinaPause = nullptr;
    TSuperButton* CorvinaStop = nullptr;
    TSuperButton* CorvinaPrevious = nullptr;
    TSuperButton* CorvinaNext = nullptr;
    TSuperButton* CorvinaEject = nullptr;
    TSuperButton* CorvinaRewind = nullptr;
    TSuperButton* CorvinaForward = nullptr;
    TSuperButton* CorvinaClose = nullptr;
    TSuperButton* CorvinaMinimize = nullptr;
    TSuperButton* CorvinaSysTray = nullptr;
    TSuperButton* CorvinaPortivo = nullptr;
    TSuperButton* PortivoPlay = nullptr;
    TSuperButton* PortivoPause = nullptr;
    TSuperButton* PortivoStop = nullptr;
    TSuperButton* PortivoPrev = nullptr;
    TSuperButton* PortivoRewind = nullptr;
    TSuperButton* PortivoForward = nullptr;
    TSuperButton* PortivoNext = nullptr;
    TSuperButton* PortivoEject = nullptr;
    TSuperButton* PortivoRestore = nullptr;
    TFlatHint* FlatHint = nullptr;
    TAudioMixer* AudioMixer = nullptr;
    TRxSlider* VolumeBar = nullptr;
    TTrayIcon* TrayIcon = nullptr;
    TImage* ImageBack = nullptr;
    TScreenSnap* ScreenSnap = nullptr;
    TPopupMenu2000* MenuMain = nullptr;
    // The items of `MenuMain` (MainMenu.cpp), in menu order; MenuN1 to MenuN5 are separators.
    TMenuItem2000 *MenuViewModes = nullptr, *MenuFull = nullptr, *MenuPortivo = nullptr;
    TMenuItem2000 *MenuN1 = nullptr, *MenuMinimize = nullptr, *MenuTray = nullptr;
    TMenuItem2000 *MenuN2 = nullptr, *MenuPlayback = nullptr, *MenuPlay = nullptr;
    TMenuItem2000 *MenuPause = nullptr, *MenuStop = nullptr, *MenuEject = nullptr;
    TMenuItem2000 *MenuN3 = nullptr, *MenuRewind = nullptr, *MenuForward = nullptr;
    TMenuItem2000 *MenuPrevious = nullptr, *MenuNext = nullptr, *MenuTracks = nullptr;
    TMenuItem2000 *MenuSound = nullptr, *MenuLeftChannel = nullptr, *MenuRightChannel = nullptr;
    TMenuItem2000 *MenuAllChannels = nullptr, *MenuN4 = nullptr, *MenuAllMute = nullptr;
    TMenuItem2000 *MenuPreferences = nullptr, *MenuN5 = nullptr, *MenuHelp = nullptr;
    TMenuItem2000 *MenuManual = nullptr, *MenuAbout = nullptr, *MenuProducts = nullptr;
    TMenuItem2000 *MenuRestorix = nullptr, *MenuTextoria = nullptr, *MenuExit = nullptr;

    // Start-up and exit.
    void FormCreate(QObject* sender);
    void FormCloseQuery(QObject* sender, bool& canClose);
    void MenuExitClick(QObject* sender);
    // A later start of the player asked this one to come forward.
    void WMActivateInstance();

    // The poll.
    void TimerCDTimer(QObject* sender);
    void DigitalDisplay();
    void NoDisc();
    quint32 GetDiscSerial() const;

    // Transport.
    void CDPlay(QObject* sender);
    void CDPause(QObject* sender);
    void CDStop(QObject* sender);
    void CDPrevious(QObject* sender);
    void CDNext(QObject* sender);
    void CDRewind(QObject* sender);
    void CDForward(QObject* sender);
    void CDEject(QObject* sender);

    // Views, dragging, minimising (MainViews.cpp).
    void FormMove(QObject* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                  int y);
    void MenuPortivoClick(QObject* sender);
    void MenuFullClick(QObject* sender);
    void MenuMinimizeClick(QObject* sender);
    void RestoreWindow(QObject* sender);
    // Opens `MenuMain` at (window left + 18, window top + 20).
    void MenuPopup(QObject* sender);
    void MenuTracksClick(QObject* sender);

    // The notification area (MainTray.cpp).
    void MenuTrayClick(QObject* sender);
    void TrayIconClick(QObject* sender);

    // Audio channels and mute (MainSound.cpp).
    void MenuSoundLeftClick(QObject* sender);
    void MenuSoundRightClick(QObject* sender);
    void MenuSoundAllClick(QObject* sender);
    void MenuSoundMuteClick(QObject* sender);
    void MuteTrue(QObject* sender);
    void MuteFalse(QObject* sender);

    // The volume bar's OnChange: the bar's value to the mixer line (MainVolume.cpp).
    void SetVolume(QObject* sender);

    // Preferences (MainPreferences.cpp). The window stays on top of other windows or not, and is
    // drawn with an alpha of 220 of 255 or opaque; both apply at once to a shown window.
    void MenuPreferencesClick(QObject* sender);
    void SetStayOnTop(bool on);
    void SetTranslucent(bool on);

    // Help, About and the companion programs (MainHelp.cpp).
    void MenuManualClick(QObject* sender);
    void MenuAboutClick(QObject* sender);
    void MenuRestorixClick(QObject* sender);
    void MenuTextoriaClick(QObject* sender);

    // Puts the rip at `path` (as ripInDrop of platform/cd/RipDrop.h accepts it) into the virtual
    // drive like a disc inserted through the player's tray: it becomes the default drive, is
    // remembered for the next start, and the tick run at once starts playing it. Throws
    // corvina::Error, changing nothing, when the rip cannot be played (MainDrop.cpp).
    void InsertRip(const QString& path);

    // Drives plugged in (or back) while the player runs (MainDrives.cpp): a new drive becomes
    // the default when the player had no real drive (the demo disc or an empty virtual drive),
    // and a default drive that comes back, or becomes the default, plays its disc as one put in
    // through the player's tray does.
    void DrivesChanged(const corvina::cd::DriveChanges& changes);

    // Gives the window the region of a rounded rectangle from (0, 0) to (width + 1, height + 1)
    // with corner ellipses of `ellipse` x `ellipse` pixels (0: a plain rectangle).
    void setRoundRegion(int ellipse);

    // Start-up steps that belong to other components, called by FormCreate in its order:
    // step 4 shows the splash modally (MainHelp.cpp); step 11 and the Preferences set the main
    // menu's opacity in percent (MainMenu.cpp); step 13 reads the mixer's volume into the
    // volume bar (MainVolume.cpp); step 14 switches the tray icon on (MainTray.cpp).
    void ShowSplash();
    void SetMenuOpacity(int percent);
    void LoadVolume();
    void EnableTrayIcon();
    // Step 15 with MinimizeAtStartup on: true when the window may start hidden in the
    // notification area (there is one); false when it must be shown (MainTray.cpp).
    bool HideToTrayAtStart();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Rips dropped on either view (MainDrop.cpp).
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class MainMediaPlayer;  // the media controls' seek takes the 10-second step's path
    void createComponents();
    void createPortivo();
    // Each creates its component(s) in the stored order; defined beside the component's handlers.
    void createFlatHint();    // MainHelp.cpp
    void createAudioMixer();  // MainVolume.cpp
    void createVolumeBar();   // MainVolume.cpp
    void createTrayIcon();    // MainTray.cpp
    void createScreenSnap();  // MainViews.cpp
    void createMenuMain();    // MainMenu.cpp
    TSuperButton* makeButton(QWidget* parent, const char* name, QRect geometry, const QString& hint,
                             void (TFormMain::*handler)(QObject*));
    void onTimer();
    void rewindOrForward(int step);
    // Shows the window hidden to the notification area again, in its normal state.
    void showFromTray();  // MainTray.cpp

    // Reply buffers of the tick: A for media, track count and disc length; B for position and
    // track length.
    corvina::ReplyBuffer<13> replyA_;
    corvina::ReplyBuffer<13> replyB_;

    bool exiting_ = false;
    bool inTimerTick_ = false;
    bool minimizeHooked_ = false;
    bool restoreHooked_ = false;
    bool noTrayExplained_ = false;
};

// The application's single main window (null before it is created and after it is destroyed).
extern TFormMain* FormMain;
