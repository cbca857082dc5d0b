#include "platform/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace corvina {
namespace {

ErrorSink& sink() {
    static ErrorSink current;
    return current;
}

void showMessageBox(const QString& message) {
    QWidget* parent = QApplication::activeWindow();
    QMessageBox::critical(parent, QApplication::applicationDisplayName(), message);
}

}  // namespace

void reportError(const QString& message) {
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

void runHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& e) {
        reportError(e.message());
    } catch (const std::exception& e) {
        reportError(QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace corvina
