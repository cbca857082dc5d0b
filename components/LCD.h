#pragma once
// TLCD: a small non-negative number shown as a row of digit pictures cut from one strip.
//
// The strip (`Digits`) is one row of 11 equal cells: cells 0 to 9 are the digits, cell 10 is
// drawn for every non-digit character of the formatted number (the padding blanks). A cell is
// strip width div 11 wide and as high as the strip; surplus columns are never used.
//
// The control sizes itself: whatever size is requested, it keeps
//   width  = 2 x BevelWidth x (bevels in use) + Margin + Length x (cell width + Margin)
//   height = 2 x BevelWidth x (bevels in use) + Margin + cell height + Margin
// and only the requested position is applied (24 x 17 for 9 x 13 cells, Length 2, Margin 2).
//
// It is opaque (paints every pixel of its rectangle), takes no input, and repaints on every
// `setValue`, even with an unchanged value, so a poller may assign without comparing first.
#include <QImage>

#include "components/GraphicControl.h"

class TLCD : public TGraphicControl {
    Q_OBJECT
public:
    explicit TLCD(QWidget* parent = nullptr);
    ~TLCD() override;

    // Copies the strip; a null image is ignored. A new strip sets the cell size, sets `Color` to
    // the strip's key colour plus the palette-relative flag, and re-sizes the control; so a
    // `Color` meant to win must be set after the strip.
    const QImage& Digits() const { return digits_; }
    void setDigits(const QImage& strip);

    TBevelCut BevelOuter() const { return bevelOuter_; }
    void setBevelOuter(TBevelCut bevel);
    TBevelCut BevelInner() const { return bevelInner_; }
    void setBevelInner(TBevelCut bevel);
    // Width in pixels of each bevel in use.
    int BevelWidth() const { return bevelWidth_; }
    void setBevelWidth(int width);
    // Background fill (Windows colour value).
    quint32 Color() const { return color_; }
    void setColor(quint32 color);
    // Number of digit cells, 1 to 8 (other values are clamped).
    int Length() const { return length_; }
    void setLength(int length);
    // Gap in pixels around and between the cells.
    int Margin() const { return margin_; }
    void setMargin(int margin);
    // Stores |value| mod 10^Length (no minus sign is ever drawn); reading returns that.
    int Value() const { return value_; }
    void setValue(int value);

    int digitWidth() const { return digitWidth_; }
    int digitHeight() const { return digitHeight_; }

protected:
    void paint(QPainter& painter) override;

private:
    void stripChanged();
    void resizeToContents();

    QImage digits_;
    int digitWidth_ = 0;
    int digitHeight_ = 0;
    TBevelCut bevelOuter_ = bvNone;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 0;
    quint32 color_ = 0;
    int length_ = 4;
    int margin_ = 2;
    int value_ = 0;
};
