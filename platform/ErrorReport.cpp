#include "platform/ErrorReport.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <utility>

#include "platform/MessageBox.h"

namespace corvina {
namespace {

const QString kCaption = QStringLiteral("Corvina CD 播放器");

ErrorSink& sink() {
    static ErrorSink current;
    return current;
}

// The window a box belongs to, so that it opens above it even when that window stays on top:
// the active window, else the player's window on screen; none while the player is minimised or
// hidden (a box owned by a minimised window would be hidden with it).
QWidget* boxOwner() {
    if (QWidget* active = QApplication::activeWindow()) return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = window->windowType();
        if (window->isVisible() && !window->isMinimized() &&
            (type == Qt::Window || type == Qt::Dialog))
            return window;
    }
    return nullptr;
}

// The box is modal but the player's timers keep running behind it; an error that repeats every
// second must not pile up a stack of identical boxes, so a message already on screen is not shown
// again until that box is closed.
void showMessageBox(const QString& message) {
    static QStringList onScreen;
    if (onScreen.contains(message)) return;
    onScreen.append(message);
    newMessageBox(boxOwner(), message, kCaption, MessageIcon::Error)->exec();
    onScreen.removeOne(message);
}

// Diagnosis and end-to-end tests: CORVINA_ERROR_LOG=PATH appends every reported message.
void appendToErrorLog(const QString& message) {
    static const QString path = qEnvironmentVariable("CORVINA_ERROR_LOG");
    if (path.isEmpty()) return;
    QFile log(path);
    if (log.open(QIODevice::Append | QIODevice::Text)) log.write(message.toUtf8() + '\n');
}

bool& quietReports() {
    static bool quiet = false;
    return quiet;
}

ErrorSink& noticeSink() {
    static ErrorSink current;
    return current;
}

void printNotice(const QString& message) {
    std::fprintf(stderr, "corvina: %s\n", message.toLocal8Bit().constData());
}

void showNoticeBox(const QString& message) {
    if (quietReports()) return;
    if (noticeSink()) {
        noticeSink()(message);
        return;
    }
    QMessageBox* box =
        newMessageBox(boxOwner(), message, kCaption, MessageIcon::Information).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

// A window of the player (not a box or a balloon) that the user can see.
bool playerWindowOnScreen() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() != Qt::Window || !window->isVisible() || window->isMinimized())
            continue;
        if (const QWindow* handle = window->windowHandle(); handle && handle->isExposed())
            return true;
    }
    return false;
}

// Holds the start-up notices until a window of the player is on screen, then shows them one
// after the other, each once.
class PendingNotices : public QObject {
public:
    static PendingNotices& instance() {
        static PendingNotices* pending = new PendingNotices(qApp);
        return *pending;
    }

    void add(const QString& message) {
        messages_.append(message);
        if (!watching_) {
            watching_ = true;
            qApp->installEventFilter(this);
        }
        showIfOnScreen();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Expose || event->type() == QEvent::Show ||
            event->type() == QEvent::WindowStateChange)
            showIfOnScreen();
        return false;
    }

private:
    explicit PendingNotices(QObject* parent) : QObject(parent) {}

    void showIfOnScreen() {
        if (scheduled_ || !playerWindowOnScreen()) return;
        scheduled_ = true;
        // After the event that put the window on screen: the window paints first.
        QTimer::singleShot(0, this, [this] {
            scheduled_ = false;
            if (!playerWindowOnScreen()) return;
            qApp->removeEventFilter(this);
            watching_ = false;
            const QStringList messages = std::exchange(messages_, {});
            for (const QString& message : messages) showNoticeBox(message);
        });
    }

    QStringList messages_;
    bool watching_ = false;
    bool scheduled_ = false;
};

}  // namespace

void showNotice(const QString& message) {
    printNotice(message);
    showNoticeBox(message);
}

void showNoticeOnceShown(const QString& message) {
    printNotice(message);
    if (qApp) PendingNotices::instance().add(message);
}

ErrorSink setNoticeSink(ErrorSink newSink) {
    ErrorSink previous = std::move(noticeSink());
    noticeSink() = std::move(newSink);
    return previous;
}

void setReportsQuiet(bool quiet) {
    quietReports() = quiet;
}

void reportError(const QString& message) {
    appendToErrorLog(message);
    if (quietReports()) {
        std::fprintf(stderr, "corvina: %s\n", message.toLocal8Bit().constData());
        return;
    }
    if (sink()) {
        sink()(message);
    } else {
        showMessageBox(message);
    }
}

ErrorSink setErrorSink(ErrorSink newSink) {
    ErrorSink previous = std::move(sink());
    sink() = std::move(newSink);
    return previous;
}

void reportCaughtException() {
    try {
        throw;
    } catch (const Error& e) {
        reportError(e.message());
    } catch (const std::exception& e) {
        reportError(QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace corvina
