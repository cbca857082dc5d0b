#pragma once
// TSuperButton: a push button drawn from one picture (the same picture in every state), laid
// over the window's skin.
//
// The picture's key colour is the colour of its bottom-left pixel; pixels of exactly that colour
// are left out, so the parent's background shows through them (the button is not opaque). The
// picture is centred (truncating division, so one pixel too large lands at 0) and drawn one pixel
// right and down while the button is held pressed. A release inside the control fires `OnClick`
// while the button is still drawn pressed; a release outside fires nothing.
//
// An optional caption is drawn under the picture; `bsNormal`, `bsMSOffice` and `bsOutlook` add a
// one-pixel 3-D frame (the last two only while hovered or pressed). The button repaints on press,
// release, and (for the two hover styles) when the pointer enters or leaves. UI thread only.
#include <QImage>
#include <QRect>
#include <QString>

#include "components/GraphicControl.h"

enum BStyle : quint8 { bsNone, bsNormal, bsMSOffice, bsOutlook };

class TSuperButton : public TGraphicControl {
    Q_OBJECT
public:
    explicit TSuperButton(QWidget* parent = nullptr);
    ~TSuperButton() override;

    // Copies the picture (a null image empties it) and repaints.
    const QImage& Bitmap() const { return bitmap_; }
    void setBitmap(const QImage& picture);
    // The caption is drawn on a solid button-face background while checked.
    bool Checked() const { return checked_; }
    void setChecked(bool checked);
    BStyle Style() const { return style_; }
    void setStyle(BStyle style);
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);

    bool isPressed() const { return pressed_; }
    bool isHovered() const { return hover_; }
    // Where the picture was last placed (control coordinates, unpressed position).
    QRect imageRect() const { return imageRect_; }

protected:
    void paint(QPainter& painter) override;
    void fontChanged() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage bitmap_;
    QImage keyed_;  // the picture with its key-coloured pixels made fully transparent
    bool hover_ = false;
    bool pressed_ = false;
    BStyle style_ = bsNormal;
    QRect imageRect_;
    bool checked_ = false;
    QString caption_;
};
