#pragma once
// Which pointer buttons are held down right now, as the display server knows it: also while
// another program (the window manager moving a window) has grabbed the pointer, when the
// player's own windows see no pointer events at all.
//
// UI thread only.
#include <Qt>

namespace corvina::shell {

class PointerButtons {
public:
    virtual ~PointerButtons() = default;
    virtual Qt::MouseButtons held() const = 0;
};

// The buttons in use: the X server's on X11, else the toolkit's own record of the buttons it
// saw (which cannot see a grab by another program), or the ones a test installed.
PointerButtons& pointerButtons();
// Installs `buttons` (not owned) in place of the display's; null puts the display's back.
void setPointerButtons(PointerButtons* buttons);

// For tests: the buttons the test holds, installed for as long as the object lives.
class FakePointerButtons : public PointerButtons {
public:
    FakePointerButtons() { setPointerButtons(this); }
    ~FakePointerButtons() override { setPointerButtons(nullptr); }
    FakePointerButtons(const FakePointerButtons&) = delete;
    FakePointerButtons& operator=(const FakePointerButtons&) = delete;

    Qt::MouseButtons held() const override { return held_; }
    void setHeld(Qt::MouseButtons buttons) { held_ = buttons; }

private:
    Qt::MouseButtons held_;
};

}  // namespace corvina::shell
