#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include "platform/ErrorReport.h"
#include "tests/support/TestSupport.h"

namespace corvina {
namespace {

// An object whose event handler fails the way a player handler does.
class Failing : public QObject {
public:
    int handled = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        ++handled;
        throw Error(QStringLiteral("'' is not a valid integer value"));
    }
};

TEST(Application, AHandlerThatThrowsIsReportedAndTheLoopGoesOn) {
    test::ErrorCapture capture;
    Failing failing;
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_EQ(failing.handled, 2);  // the second event was still delivered
    EXPECT_EQ(capture.messages().size(), 2);
    EXPECT_EQ(capture.messages().value(0), QStringLiteral("'' is not a valid integer value"));
}

TEST(Application, GuardedTimerHandlersKeepTicking) {
    test::ErrorCapture capture;
    QTimer timer;
    int ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, guarded([&] {
        ++ticks;
        throw Error(QStringLiteral("tick failed"));
    }));
    timer.start(1);
    // Bounded: a timer that stopped after a failure must fail the test, not hang it.
    const QDeadlineTimer deadline(5000);
    while (ticks < 3 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_GE(ticks, 3);
    EXPECT_EQ(capture.messages().size(), ticks);
}

// A notice belongs to the player's window on screen, so that a window which stays on top does
// not cover it; with the window hidden it stands alone.
TEST(Application, ANoticeBelongsToThePlayersWindowOnScreen) {
    const auto noticeOwner = [](const QString& text) -> QWidget* {
        showNotice(text);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->text() == text) {
                QWidget* owner = box->parentWidget();
                box->close();
                return owner;
            }
        ADD_FAILURE() << "no box for " << text.toStdString();
        return nullptr;
    };
    QWidget player(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    player.show();
    EXPECT_EQ(noticeOwner(QStringLiteral("on screen")), &player);
    player.hide();
    EXPECT_EQ(noticeOwner(QStringLiteral("hidden")), nullptr);
}

}  // namespace
}  // namespace corvina
