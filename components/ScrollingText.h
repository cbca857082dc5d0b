#pragma once
// TScrollingText: a one-line marquee whose text slides across the control and fades into the
// background over `EdgeFadeWidth` columns at each end.
//
// Everything that depends on the text, font, colours or size is prepared once when one of them
// changes (the rebuild): a text strip (the text drawn in a key colour at x = W on a background
// strip TW + 2 x W wide), a fade bitmap (the font colour with the fading edge columns) and a frame
// buffer. A frame then costs two W x H copies and one keyed copy: the fade bitmap into the frame,
// the strip over it at the scroll position with its key-coloured pixels (the letters) left out,
// and the frame to the screen in one block. The text is drawn without anti-aliasing so that its
// pixels are exactly the key colour.
//
// The tick timer (interval `Speed`, default 50 ms) runs for the control's whole life; a tick of a
// disabled control does nothing, so a disabled control keeps its last frame. Hiding the control
// through `setVisible(false)` also disables it; showing it enables it again.
//
// Owners that apply stored properties call `Loaded()` once afterwards (it places the text at its
// starting point). UI thread only.
#include <QImage>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "components/GraphicControl.h"

class QWindow;

enum TTextDirection : quint8 { tdLeftToRight, tdRightToLeft };

class TScrollingText : public TGraphicControl {
    Q_OBJECT
public:
    explicit TScrollingText(QWidget* parent = nullptr);
    ~TScrollingText() override;

    // Assigning the text it already shows leaves the scrolling undisturbed; a new text keeps the
    // current scroll position.
    QString Text() const { return text_; }
    void setText(const QString& text);
    // Tick interval in milliseconds; 0 or less stops the movement.
    int Speed() const { return speed_; }
    void setSpeed(int ms);
    quint32 BackgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(quint32 color);
    // Columns faded at each end; 0 or less: no fade.
    int EdgeFadeWidth() const { return edgeFadeWidth_; }
    void setEdgeFadeWidth(int width);
    TTextLayout Layout() const { return layout_; }
    void setLayout(TTextLayout layout);
    // Changing the direction restarts the text from its entry edge.
    TTextDirection TextDirection() const { return textDirection_; }
    void setTextDirection(TTextDirection direction);
    // Pixels moved per tick, used from the next tick.
    int PixelJump() const { return pixelJump_; }
    void setPixelJump(int pixels) { pixelJump_ = pixels; }
    // Visibility that also switches the control on or off.
    bool Visible() const { return visible_; }
    void setVisible(bool visible) override;

    // Places the text at its starting point for the current direction.
    void Loaded();

    // One timer tick: moves the text by `PixelJump` (wrapping) and shows the new frame at once.
    // Does nothing while the control is disabled.
    void tick();

    // x of the text strip's left edge in the frame; 0 puts the text just beyond the right edge.
    int ScrollPosition() const { return scrollPos_; }
    // Width of the text strip (text width + 2 x control width).
    int stripWidth() const {
        ensureBuilt();
        return strip_.width();
    }
    // The colour the letters are drawn in on the strip (never the background).
    QRgb keyColor() const {
        ensureBuilt();
        return key_;
    }
    // The fade bitmap for the present properties.
    const QImage& fadeBitmap() const {
        ensureBuilt();
        return fade_;
    }

    // Fade colour number k of n from `from` to `to`: each component is
    // from + round(((k - 1) x (to - from)) / (n - 1)), halves away from zero, so k = 1 is `from`
    // and k = n is `to`. Throws corvina::Error for k outside 1..n.
    static QColor fadeColor(int k, int n, const QColor& from, const QColor& to);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paint(QPainter& painter) override;
    void fontChanged() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The buffers follow the properties: rebuild() marks them out of date, ensureBuilt() draws
    // them again when they are.
    void rebuild();
    void ensureBuilt() const;
    void build() const;
    void startPosition();
    // Row y of the current frame into `out` (width() pixels).
    void composeRow(int y, QRgb* out) const;
    // The current frame into the frame buffer.
    void composeFrame() const;
    // Puts the current frame straight onto the window on the display, or else into the
    // window's backing store and flushes that rectangle; false where neither can stand in for
    // a repaint.
    bool presentFrame();
    bool uncovered() const;

    QString text_ = QStringLiteral("Text");
    QTimer timer_;
    int speed_ = 50;
    quint32 backgroundColor_ = clBtnFace;
    mutable bool stale_ = true;
    mutable QImage fade_;
    mutable QImage frame_;
    mutable QImage strip_;
    mutable QRgb key_ = 0;
    mutable QRgb back_ = 0;  // the background, resolved
    int scrollPos_ = 0;
    int edgeFadeWidth_ = 15;
    TTextLayout layout_ = tlCenter;
    TTextDirection textDirection_ = tdLeftToRight;
    int pixelJump_ = 1;
    bool visible_ = true;
    QPointer<QWindow> exposures_;  // the window whose exposures repaint the control
};
