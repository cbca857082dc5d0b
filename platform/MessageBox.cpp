#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace corvina {
namespace {

MessageBoxSink& sink() {
    static MessageBoxSink current;
    return current;
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Information:
            break;
    }
    return QMessageBox::Information;
}

}  // namespace

std::unique_ptr<QMessageBox> newMessageBox(QWidget* owner, const QString& text,
                                           const QString& caption, MessageIcon icon) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setIcon(boxIcon(icon));
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    return box;
}

void messageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) {
    if (sink()) {
        sink()({text, caption, icon});
        return;
    }
    newMessageBox(owner, text, caption, icon)->exec();
}

MessageBoxSink setMessageBoxSink(MessageBoxSink newSink) {
    MessageBoxSink previous = std::move(sink());
    sink() = std::move(newSink);
    return previous;
}

}  // namespace corvina
