#pragma once
// The player's message boxes with an OK button: a text, a caption and one of four icons, modal
// to the window whose handler asks. Tests replace the box with `setMessageBoxSink` and see
// exactly what would have been shown.
//
// UI thread only.
#include <QString>
#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace corvina {

enum class MessageIcon { Information, Question, Warning, Error };

// A box as every box of the player looks, not yet shown: the text as it stands (never read as
// markup, so a name or path shows as it is), the icon, and the one button "确定". The error
// report and the notices use it too, so no box of the player speaks another language.
std::unique_ptr<QMessageBox> newMessageBox(QWidget* owner, const QString& text,
                                           const QString& caption, MessageIcon icon);

struct MessageBoxRequest {
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::Information;
};

// Shows the box and returns when the user closed it.
void messageBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon);

// Replaces the box; an empty function restores it. Returns the previous sink.
using MessageBoxSink = std::function<void(const MessageBoxRequest&)>;
MessageBoxSink setMessageBoxSink(MessageBoxSink sink);

}  // namespace corvina
