#pragma once
// TRxSlider: a track bar drawn from small pictures — a ruler picture tiled to the track's length
// and a thumb picture that moves along it. `TRxCustomSlider` holds the behaviour; `TRxSlider`
// is the published form the windows use.
//
// Geometry (horizontal; vertical is the same with x and y exchanged, a larger value nearer the
// top): the track starts 6 pixels inside the working rectangle (the client area less the bevel)
// and is the working width less 12 pixels long. The thumb travels over the track's length less
// its own width. Values and pixels convert by rounding to nearest, halves to even.
//
// The slider takes the keyboard focus: Home, End and the arrow keys step it. A press on the
// thumb drags it; a press on the ruler (or within 3 pixels of it across the track) steps by
// `Increment` towards the pointer at once and every 400 ms while held. `OnChange` fires on every
// change of `Value`; `OnChanged` at the end of each user action (key, drag, ruler press).
//
// It is a windowed control that paints every pixel of its client area through an off-screen
// buffer; `renderTo` paints into any image, so tests check pixels without a window.
//
// Properties set while reading stored form data (between `BeginLoading` and `Loaded`) are taken
// as stored: no range check on `Increment`, no swap of width and height on `Orientation`.
//
// UI thread only.
#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

#include "components/GraphicControl.h"

// The application's cursors of the slider: the open hand over the thumb, the closed hand.
inline constexpr int crRxHand = 14000;
inline constexpr int crRxDrag = 14001;
// The cursor registered under `id` (loaded from the skin on first use); the arrow when unknown.
QCursor rxCursor(int id);

enum TNumThumbStates : quint8 { ntsOne = 1, ntsTwo = 2 };
enum TSliderOrientation : quint8 { soHorizontal, soVertical };
enum TSliderOption : quint8 {
    soShowFocus = 0x01,
    soShowPoints = 0x02,
    soSmooth = 0x04,
    soRulerOpaque = 0x08,
    soThumbOpaque = 0x10,
};
using TSliderOptions = quint8;
enum TSliderImage : quint8 { siHThumb = 0, siHRuler = 1, siVThumb = 2, siVRuler = 3 };

// Replaces the built-in tick marks: draw in `points`, the band below (beside) the track.
using TDrawPointsEvent =
    std::function<void(QObject* sender, QPainter& painter, const QRect& points)>;

namespace rxslider {

// Rounds to nearest, halves to even, in extended precision.
int roundEven(long double x);

// The ruler picture `picture` (tiled along x, or along y when `vertical`) composed to `length`
// pixels: both ends of the picture once (`edge` pixels each), the middle repeated. Empty when
// the length cannot hold both ends.
QImage composeRuler(const QImage& picture, int length, int edge, bool vertical);

}  // namespace rxslider

class TRxCustomSlider : public QWidget {
    Q_OBJECT
public:
    explicit TRxCustomSlider(QWidget* parent = nullptr);
    ~TRxCustomSlider() override;
    Q_DISABLE_COPY(TRxCustomSlider)

    // Reading of stored form data.
    void BeginLoading() { loading_ = true; }
    void Loaded();
    bool isLoading() const { return loading_; }

    int Value() const { return value_; }
    void setValue(int value);
    int MinValue() const { return min_; }
    void setMinValue(int value);
    int MaxValue() const { return max_; }
    void setMaxValue(int value);
    // Throws corvina::Error outside 1 .. MaxValue - MinValue (unless loading).
    int Increment() const { return increment_; }
    void setIncrement(int value);
    TNumThumbStates NumThumbStates() const { return numThumbStates_; }
    void setNumThumbStates(TNumThumbStates value);
    TSliderOrientation Orientation() const { return orientation_; }
    void setOrientation(TSliderOrientation value);
    int EdgeSize() const { return edgeSize_; }
    void setEdgeSize(int value);
    TSliderOptions Options() const { return options_; }
    void setOptions(TSliderOptions value);
    TBevelCut BevelStyle() const { return bevelStyle_; }
    void setBevelStyle(TBevelCut value);
    // The fill colour (a Windows colour value), clBtnFace by default.
    quint32 Color() const { return color_; }
    void setColor(quint32 value);

    // A null image restores the built-in picture.
    const QImage& Image(TSliderImage index) const { return images_[index]; }
    void setImage(TSliderImage index, const QImage& picture);
    // Bit i set: image i was supplied rather than built in (stored as one byte).
    quint8 UserImages() const { return userImages_; }

    // Value and thumb position (client x for horizontal, y for vertical) conversions.
    int positionOfValue(int value) const;
    int valueOfPosition(int position) const;

    // Where things are (client coordinates).
    QRect thumbRect() const { return thumbRect_; }
    QPoint rulerOrigin() const { return rulerOrigin_; }
    const QImage& composedRuler() const { return ruler_; }
    QRect pointsRect() const { return pointsRect_; }
    bool isSliding() const { return sliding_; }
    bool isTracking() const { return tracking_; }
    bool isRepeating() const { return repeat_.isActive(); }

    // Paints the whole control into the top-left of `image`.
    void renderTo(QImage& image);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanged;
    TDrawPointsEvent OnDrawPoints;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;

protected:
    enum class Step { None, ToMin, ToMax, Up, Down };

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool horizontal() const { return orientation_ == soHorizontal; }
    QRect workingRect() const;
    int travel() const;
    int thumbLength() const;
    void layOut();
    void setRange(int min, int max);
    void moveThumb(int position);
    void step(Step kind);
    void repeatStep();
    void paint(QPainter& painter);
    void drawPoints(QPainter& painter);
    void changed();
    void changeDone();
    void updateKeyed();
    bool onThumb(QPoint p) const;
    void updateCursor(QPoint p);

    QImage images_[4];
    QImage keyedRuler_;     // the composed ruler with its key colour made transparent
    QImage keyedThumb_[2];  // the thumb's states, keyed likewise
    quint8 userImages_ = 0;
    int edgeSize_ = 2;
    QImage ruler_;
    QPoint rulerOrigin_;
    QRect thumbRect_;
    QRect pointsRect_;
    bool thumbDown_ = false;
    TNumThumbStates numThumbStates_ = ntsTwo;
    TSliderOrientation orientation_ = soHorizontal;
    TSliderOptions options_ = soShowFocus | soShowPoints | soSmooth;
    TBevelCut bevelStyle_ = bvNone;
    static constexpr int kBevelWidth = 1;
    quint32 color_ = clBtnFace;
    int min_ = 0;
    int max_ = 100;
    int increment_ = 10;
    int value_ = 0;
    int grabDistance_ = 0;
    bool focused_ = false;
    bool sliding_ = false;
    bool tracking_ = false;
    QPoint trackPoint_;
    Step startSide_ = Step::None;
    QBasicTimer repeat_;
    bool loading_ = false;
    bool handShown_ = false;
    QCursor ownCursor_;
};

class TRxSlider : public TRxCustomSlider {
    Q_OBJECT
public:
    using TRxCustomSlider::TRxCustomSlider;

    const QImage& ImageHThumb() const { return Image(siHThumb); }
    void setImageHThumb(const QImage& p) { setImage(siHThumb, p); }
    const QImage& ImageHRuler() const { return Image(siHRuler); }
    void setImageHRuler(const QImage& p) { setImage(siHRuler, p); }
    const QImage& ImageVThumb() const { return Image(siVThumb); }
    void setImageVThumb(const QImage& p) { setImage(siVThumb, p); }
    const QImage& ImageVRuler() const { return Image(siVRuler); }
    void setImageVRuler(const QImage& p) { setImage(siVRuler, p); }
};
