#pragma once
// TImage: a picture on the main window, drawn from a QImage at its top-left corner, or an empty
// hot spot when it has no picture. Windowless in spirit: it covers only its own rectangle and is
// drawn above the window's background.
//
// TLabel: a caption on the main window, transparent over the background. With AutoSize (the
// default) its width follows the caption and its left edge stays put; its height is kept.
//
// Both forward the pointer: OnMouseDown for any button, OnClick for a left press released inside,
// OnDblClick for a left double click. Handlers run through corvina::runHandler.
//
// UI thread only.
#include <QImage>
#include <QLabel>
#include <QWidget>
#include <functional>

#include "components/GraphicControl.h"

// Delivers the pointer events of `widget` to the three handlers.
class PointerEvents {
public:
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;

protected:
    void pointerPress(QWidget* self, QMouseEvent* event);
    void pointerRelease(QWidget* self, QMouseEvent* event);
    void pointerDoubleClick(QWidget* self, QMouseEvent* event);

private:
    bool leftDown_ = false;
};

class TPopupMenu2000;

class TImage : public QWidget, public PointerEvents {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent);

    // The context menu (none by default).
    TPopupMenu2000* PopupMenu = nullptr;

    const QImage& Picture() const { return picture_; }
    // Sets the picture; with AutoSize the control takes the picture's size (a null picture
    // leaves the size alone).
    void setPicture(const QImage& picture);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool autoSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool autoSize_ = false;
};

class TLabel : public QLabel, public PointerEvents {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent);

    QString Caption() const { return text(); }
    void setCaption(const QString& caption);
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool autoSize);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void fitWidth();
    bool autoSize_ = true;
};
