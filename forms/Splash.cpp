#include "forms/Splash.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include "app/Picture.h"
#include "platform/ErrorReport.h"
#include "resources/Skin.h"

TFormSplash::TFormSplash(QWidget* owner)
    : QDialog(owner, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("FormSplash"));
    setModal(true);

    ImageSplash = new TImage(this);
    ImageSplash->setObjectName(QStringLiteral("ImageSplash"));
    ImageSplash->setAutoSize(true);
    ImageSplash->setGeometry(0, 0, 300, 200);
    ImageSplash->setPicture(skin::picture(QStringLiteral("Splash")));
    ImageSplash->setCursor(Qt::WaitCursor);
    ImageSplash->OnClick = [this](QObject* sender) { TimerSplashTimer(sender); };

    TimerSplash = new QTimer(this);
    TimerSplash->setObjectName(QStringLiteral("TimerSplash"));
    TimerSplash->setInterval(3000);
    connect(TimerSplash, &QTimer::timeout, this,
            corvina::guarded([this] { TimerSplashTimer(TimerSplash); }));

    corvina::runHandler([this] { FormCreate(this); });
}

void TFormSplash::FormCreate(QObject*) {
    setFixedSize(ImageSplash->size());
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) move(screen->geometry().center() - rect().center());
    TimerSplash->start();
}

void TFormSplash::TimerSplashTimer(QObject*) {
    TimerSplash->stop();
    done(QDialog::Accepted);
}

int TFormSplash::exec() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    if (isVisible()) loop.exec(QEventLoop::DialogExec);
    return result();
}

void TFormSplash::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) corvina::runHandler([this] { TimerSplashTimer(this); });
}
