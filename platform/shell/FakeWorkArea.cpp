#include "platform/shell/FakeWorkArea.h"

namespace corvina::shell {

FakeWorkArea::FakeWorkArea() {
    setScreen(QRect(0, 0, 1024, 768));
    setWorkArea(this);
}

FakeWorkArea::~FakeWorkArea() {
    setWorkArea(nullptr);
}

void FakeWorkArea::setScreen(const QRect& screen) {
    screen_ = screen;
    available_ = screen;
}

void FakeWorkArea::setPanel(Qt::Edge edge, int thickness) {
    available_ = screen_;
    switch (edge) {
        case Qt::TopEdge:
            available_.setTop(screen_.top() + thickness);
            break;
        case Qt::BottomEdge:
            available_.setBottom(screen_.bottom() - thickness);
            break;
        case Qt::LeftEdge:
            available_.setLeft(screen_.left() + thickness);
            break;
        case Qt::RightEdge:
            available_.setRight(screen_.right() - thickness);
            break;
    }
}

void FakeWorkArea::setNoScreen() {
    screen_ = QRect();
    available_ = QRect();
}

}  // namespace corvina::shell
