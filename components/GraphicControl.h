#pragma once
// The base of the skinned, windowless controls (LCD digits, marquee, bitmap buttons).
//
// A control is a plain (non-native) child widget, so it paints on its parent's surface within its
// rectangle. Subclasses draw in `paint()`, which both the widget's paint event and `renderTo()`
// use, so every pixel can be checked on a QImage without a window. A control repaints only when a
// property asks for it; it never animates from the paint path.
//
// Pointer input follows the usual click rule: a left press starts a click, the matching release
// fires `OnClick` when the pointer is still inside the control. The second press of a double click
// is not a press: it starts no click. A disabled control lets pointer presses through to whatever
// lies beneath it (normally the window, which drags by its background).
//
// Handlers are called through `corvina::runHandler`: a handler that throws is reported and the
// control stays usable. UI thread only.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

#include "components/Colors.h"

class QMenu;
class QPainter;

using TNotifyEvent = std::function<void(QObject* sender)>;
// x and y are in the control's own coordinates.
using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x, int y)>;
using TMouseMoveEvent =
    std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;

enum TBevelCut : quint8 { bvNone, bvLowered, bvRaised, bvSpace };
enum TTextLayout : quint8 { tlTop, tlCenter, tlBottom };

// Draws a 3-D frame of `width` rings on `rect`: each ring has its top and left edges in
// `topLeft` and its bottom and right edges in `bottomRight` (the bottom-left and top-right
// corner pixels belong to the bottom-right colour); `rect` shrinks by one pixel on every side
// per ring. A width of 0 draws nothing.
void frame3D(QPainter& painter, QRect& rect, const QColor& topLeft, const QColor& bottomRight,
             int width);

class TGraphicControl : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicControl(QWidget* parent = nullptr);
    ~TGraphicControl() override;
    Q_DISABLE_COPY(TGraphicControl)

    // Paints the control into the top-left width() x height() pixels of `image` (clipped to
    // them), over whatever the image already holds, exactly as it would paint on its parent.
    void renderTo(QImage& image);

    // The text shown as the control's tool tip while `ShowHint` is on.
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool show);

    // Colour of the control's text (a Windows colour value); the face, size and style come from
    // the widget's font (inherited from the parent unless set).
    quint32 FontColor() const { return fontColor_; }
    void setFontColor(quint32 color);

    // Shown on a right click, when set. Not owned.
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // Draws the whole control with its top-left corner at (0, 0).
    virtual void paint(QPainter& painter) = 0;
    // The font or its colour changed.
    virtual void fontChanged() {}

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    // Runs `OnClick` (through the error report).
    void click();

private:
    void updateToolTip();

    QString hint_;
    bool showHint_ = false;
    quint32 fontColor_ = clWindowText;
    QMenu* popupMenu_ = nullptr;
    bool clickStarted_ = false;
};
