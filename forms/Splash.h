#pragma once
// The splash window: the player's picture, borderless and centred on the screen, shown modally
// at start while the preference "ShowSplash" is on. It closes after 3 seconds or at a click on
// it, whichever comes first:
//     TFormSplash splash;
//     splash.exec();
// UI thread only.
#include <QDialog>

class QTimer;
class TImage;

class TFormSplash : public QDialog {
    Q_OBJECT
public:
    explicit TFormSplash(QWidget* owner = nullptr);

    TImage* ImageSplash = nullptr;
    QTimer* TimerSplash = nullptr;  // 3000 ms; runs only while the window is open

    // Sizes the window to its picture and starts the timer.
    void FormCreate(QObject* sender);
    // The timer's tick or a click: stops the timer and closes the window.
    void TimerSplashTimer(QObject* sender);

    // Shows the window modally until it ends. An end that comes while the window is still being
    // shown (a tick or click handled by an event loop inside show()) ends it all the same.
    int exec() override;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
