#pragma once
// T_AM2000_DropShadowForm: the shadow of one menu window, a window of its own beneath the menu.
//
// It covers the menu's rectangle moved kShadowSize pixels right and down; only its right strip
// and its bottom strip exist (the window is shaped to them), each a capture of the screen beneath
// darkened by Effects.h. It never takes the pointer or the keyboard.
//
// UI thread only.
#include <QImage>
#include <QWidget>

namespace am2000 {

class T_AM2000_Desktop;

class T_AM2000_DropShadowForm : public QWidget {
    Q_OBJECT
public:
    T_AM2000_DropShadowForm();

    // Moves the shadow under the menu rectangle `menu`; when its size changed, captures and
    // darkens the strips again (through the desktop's cache).
    void place(const QRect& menu, T_AM2000_Desktop& desktop);

    const QImage& rightStrip() const { return right_; }
    const QImage& bottomStrip() const { return bottom_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage right_;
    QImage bottom_;
    QSize prepared_;
};

}  // namespace am2000
