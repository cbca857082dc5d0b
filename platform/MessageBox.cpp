#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace corvina {
namespace {

MessageBoxSink& sink() {
    static MessageBoxSink current;
    return current;
}

}  // namespace

void messageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) {
    if (sink()) {
        sink()({text, caption, icon});
        return;
    }
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    // Plain text always: a name or path in the message must show as it is.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(icon == MessageIcon::Question  ? QMessageBox::Question
                : icon == MessageIcon::Warning ? QMessageBox::Warning
                                               : QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

MessageBoxSink setMessageBoxSink(MessageBoxSink newSink) {
    MessageBoxSink previous = std::move(sink());
    sink() = std::move(newSink);
    return previous;
}

}  // namespace corvina
