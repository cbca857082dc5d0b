#include "platform/shell/PointerButtons.h"

#include <QGuiApplication>

namespace corvina::shell {

// XcbPointerButtons.cpp: the X server's answer, or null when the toolkit is not on X11.
PointerButtons* x11PointerButtons();

namespace {

PointerButtons* installed = nullptr;

class ToolkitPointerButtons : public PointerButtons {
public:
    Qt::MouseButtons held() const override { return QGuiApplication::mouseButtons(); }
};

}  // namespace

PointerButtons& pointerButtons() {
    if (installed) return *installed;
    if (PointerButtons* x11 = x11PointerButtons()) return *x11;
    static ToolkitPointerButtons toolkit;
    return toolkit;
}

void setPointerButtons(PointerButtons* buttons) {
    installed = buttons;
}

}  // namespace corvina::shell
