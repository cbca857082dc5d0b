// The player's boxes as a user meets them: the error report, a notice and a message box all
// answer with the same "确定" button, show their text as it stands and carry their icon.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/ErrorReport.h"
#include "platform/MessageBox.h"

namespace {

// "buttons|icon|text format|modal" of a box.
QString describe(const QMessageBox* box) {
    QStringList buttons;
    for (QAbstractButton* button : box->buttons()) buttons << button->text();
    return QStringLiteral("%1|%2|%3|%4")
        .arg(buttons.join(','))
        .arg(box->icon())
        .arg(box->textFormat())
        .arg(box->isModal());
}

// Runs `show`, which puts up a modal box and waits for it, and reads the box on screen.
QString readModalBox(const std::function<void()>& show) {
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = describe(box) + '|' + box->text();
            box->accept();
        }
    });
    poll.start(10);
    show();
    return seen;
}

const QString kPath = QStringLiteral("/home/user/<唱片> & 其他.cue");

}  // namespace

TEST(PlayerBoxes, ErrorReportNoticeAndMessageBoxAllAnswerWithTheSameButton) {
    const QString ok = QStringLiteral("确定");
    const corvina::ErrorSink tests = corvina::setErrorSink({});
    const QString error = readModalBox([] { corvina::reportError(kPath); });
    corvina::setErrorSink(tests);
    // A name is never read as markup.
    EXPECT_EQ(error, QStringLiteral("%1|%2|%3|1|%4")
                         .arg(ok)
                         .arg(QMessageBox::Critical)
                         .arg(Qt::PlainText)
                         .arg(kPath));
    EXPECT_EQ(readModalBox([] {
                  corvina::messageBox(nullptr, kPath, QStringLiteral("文件不存在"),
                                      corvina::MessageIcon::Question);
              }).section('|', 0, 1),
              QStringLiteral("%1|%2").arg(ok).arg(QMessageBox::Question));

    // A notice does not wait for its click.
    const corvina::ErrorSink notices = corvina::setNoticeSink({});
    corvina::showNotice(kPath);
    corvina::setNoticeSink(notices);
    QMessageBox* box = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<QMessageBox*>(window); found && found->isVisible())
            box = found;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(
        describe(box),
        QStringLiteral("%1|%2|%3|0").arg(ok).arg(QMessageBox::Information).arg(Qt::PlainText));
    box->close();
}
