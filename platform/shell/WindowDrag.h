#pragma once
// Moving a frameless window by its background, as a window is moved by its title bar.
//
// The move starts only once the pointer has moved a little with the left button held, so a
// click and a double click on the background stay clicks. Then the window manager moves the
// window (startSystemMove) and ends the move when the button is released; where the platform
// cannot do that (no window manager, headless), the window follows the pointer by itself until
// the release, and OnMoveEnded runs then.
//
// UI thread only.
#include <QObject>
#include <QPoint>
#include <functional>

class QWidget;

namespace corvina::shell {

class WindowDrag : public QObject {
    Q_OBJECT
public:
    explicit WindowDrag(QWidget* window);
    ~WindowDrag() override;

    // The left button went down at the global point `press` on a part of the window that drags
    // it. Any drag still under way is forgotten.
    void begin(QPoint press);
    // True from `begin` until the button is released or the window manager took the move over.
    bool pending() const { return state_ != State::Idle; }

    // Runs at the end of a move the window made by itself (not of the window manager's moves).
    std::function<void()> OnMoveEnded;

    // Pixels the pointer must travel (either way, summed) before the window moves.
    static constexpr int kStartDistance = 3;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class State { Idle, Pressed, Following };
    void finish();

    QWidget* window_;
    State state_ = State::Idle;
    QPoint press_;
    QPoint windowAtPress_;
};

}  // namespace corvina::shell
