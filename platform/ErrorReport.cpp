#include "platform/ErrorReport.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <cstdio>

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

}  // namespace

void showNotice(const QString& message) {
    std::fprintf(stderr, "corvina: %s\n", message.toLocal8Bit().constData());
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
