#include "forms/Placement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

#include "platform/shell/FrameExtents.h"

namespace corvina {
namespace {

// The top-left corner (of the frame: a top-level window is moved by it) that centres a window
// of `outer` size on `screen`.
QPoint centredCorner(const QRect& screen, QSize outer) {
    return screen.topLeft() +
           QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2);
}

// Places the dialog just before it first shows (the Show event comes before the window is
// mapped), then goes.
class ShowCentring : public QObject {
public:
    ShowCentring(QWidget* dialog, QRect screen)
        : QObject(dialog), dialog_(dialog), screen_(screen) {
        dialog->installEventFilter(this);
    }

    void place() {
        const QMargins frame = shell::frameExtents(dialog_);
        const QSize outer = dialog_->size().grownBy(frame);
        dialog_->move(centredCorner(screen_, outer));
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Show) return false;
        place();
        dialog_->removeEventFilter(this);
        deleteLater();
        return false;
    }

private:
    QWidget* dialog_;
    QRect screen_;
};

}  // namespace

void centreOnScreen(QWidget* dialog, const QScreen* screen) {
    if (!dialog || !screen) return;
    const QRect area = screen->geometry();
    // Placed now too, so that a dialog is where it belongs before it is shown.
    dialog->move(centredCorner(area, dialog->size()));
    new ShowCentring(dialog, area);
}

}  // namespace corvina
