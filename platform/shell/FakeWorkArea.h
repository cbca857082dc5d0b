#pragma once
// A work area for tests: a screen and a free area that the test sets, installed for as long as
// the object lives.
#include "platform/shell/WorkArea.h"

namespace corvina::shell {

class FakeWorkArea : public WorkArea {
public:
    // A 1024 x 768 screen at the origin without panels.
    FakeWorkArea();
    ~FakeWorkArea() override;
    FakeWorkArea(const FakeWorkArea&) = delete;
    FakeWorkArea& operator=(const FakeWorkArea&) = delete;

    // The screen; the free area becomes the whole screen.
    void setScreen(const QRect& screen);
    // A panel of `thickness` pixels along one edge of the screen.
    void setPanel(Qt::Edge edge, int thickness);
    // Switch: the display has no screen (both rectangles empty).
    void setNoScreen();

    QRect primaryScreen() const override { return screen_; }
    QRect availableArea() const override { return available_; }

private:
    QRect screen_;
    QRect available_;
};

}  // namespace corvina::shell
