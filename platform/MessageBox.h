#pragma once
// The player's message boxes with an OK button: a text, a caption and one of three icons, modal
// to the window whose handler asks. Tests replace the box with `setMessageBoxSink` and see
// exactly what would have been shown.
//
// UI thread only.
#include <QString>
#include <functional>

class QWidget;

namespace corvina {

enum class MessageIcon { Information, Question, Warning };

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
