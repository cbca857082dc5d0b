// The work area of the display the toolkit is connected to. On X11 the available geometry is the
// desktop's work area (_NET_WORKAREA), which the window manager keeps free of panels.
#include <QGuiApplication>
#include <QScreen>

#include "platform/shell/WorkArea.h"

namespace corvina::shell {
namespace {

class QtWorkArea : public WorkArea {
public:
    QRect primaryScreen() const override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->geometry() : QRect();
    }
    QRect availableArea() const override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect();
    }
};

}  // namespace

WorkArea& displayWorkArea() {
    static QtWorkArea area;
    return area;
}

}  // namespace corvina::shell
