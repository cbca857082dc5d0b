#include "components/RXSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/ErrorReport.h"
#include "resources/Skin.h"

QCursor rxCursor(int id) {
    // Registered once with the application, like any cursor a program loads at start-up.
    static const std::map<int, QCursor> cursors = {
        {crRxHand, skin::cursor(QStringLiteral("RX_HANDCUR"))},
        {crRxDrag, skin::cursor(QStringLiteral("RX_DRAGCUR"))},
    };
    const auto it = cursors.find(id);
    return it == cursors.end() ? QCursor(Qt::ArrowCursor) : it->second;
}

namespace rxslider {

int roundEven(long double x) {
    // The default rounding mode rounds halves to even.
    return int(std::nearbyintl(x));
}

QImage composeRuler(const QImage& source, int length, int edge, bool vertical) {
    if (source.isNull() || length <= 0) return {};
    const QImage picture = source.convertToFormat(QImage::Format_RGB32);
    const int n = vertical ? picture.height() : picture.width();
    const int across = vertical ? picture.width() : picture.height();
    // A picture too short for its edges (a small one supplied while the edge size was set for
    // another) is tiled whole rather than dividing by a middle of no pixels.
    if (edge < 0 || n - 2 * edge <= 0) edge = 0;
    const int t = n - 2 * edge;
    const int m = length - 2 * edge;
    if (m < 0) return {};
    const int pieces = m / t + 1;
    const int r = m % t;
    QImage out(vertical ? QSize(across, length) : QSize(length, across), QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter painter(&out);
    const auto put = [&](int at, int from, int count) {
        if (vertical)
            painter.drawImage(QPoint(0, at), picture, QRect(0, from, across, count));
        else
            painter.drawImage(QPoint(at, 0), picture, QRect(from, 0, count, across));
    };
    put(0, 0, n - edge);
    for (int i = 1; i < pieces - 1; ++i) put(edge + i * t, edge, t);
    if (pieces > 1) put(edge + (pieces - 1) * t, edge + t - r, edge + r);
    return out;
}

}  // namespace rxslider

namespace {

QImage builtIn(TSliderImage index) {
    static const char* const names[4] = {"W95_HTB", "W95_HRL", "W95_VTB", "W95_VRL"};
    return skin::picture(QLatin1String(names[index]));
}

// `picture` with every pixel of exactly its key colour made transparent.
QImage keyed(const QImage& picture, QRgb key) {
    if (picture.isNull()) return {};
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    key &= 0xFFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = (line[x] & 0xFFFFFFu) == key ? 0u : (line[x] | 0xFF000000u);
    }
    return out;
}

}  // namespace

TRxCustomSlider::TRxCustomSlider(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    rxCursor(crRxHand);
    for (int i = 0; i < 4; ++i) images_[i] = builtIn(TSliderImage(i));
    resize(150, 40);
    layOut();
}

TRxCustomSlider::~TRxCustomSlider() = default;

void TRxCustomSlider::Loaded() {
    loading_ = false;
    layOut();
}

QRect TRxCustomSlider::workingRect() const {
    QRect r(0, 0, width(), height());
    if (bevelStyle_ != bvNone) r.adjust(kBevelWidth, kBevelWidth, -kBevelWidth, -kBevelWidth);
    return r;
}

int TRxCustomSlider::thumbLength() const {
    return horizontal() ? thumbRect_.width() : thumbRect_.height();
}

int TRxCustomSlider::travel() const {
    const int length = horizontal() ? ruler_.width() : ruler_.height();
    return std::max(0, length - thumbLength());
}

int TRxCustomSlider::positionOfValue(int value) const {
    const QRect w = workingRect();
    const long long range = (long long)max_ - min_;
    // An empty range keeps the thumb at the start rather than dividing by nothing.
    const int r = range <= 0 ? 0
                             : rxslider::roundEven((long double)travel() *
                                                   ((long double)value - min_) / range);
    if (horizontal()) return std::max(w.left() + 6 + r, w.left() + 6);
    const int bottom = w.top() + w.height();
    return std::max(w.top() + bottom - (r + w.top() + 6) - thumbRect_.height(), w.top() + 6);
}

int TRxCustomSlider::valueOfPosition(int position) const {
    const QRect w = workingRect();
    const int start = horizontal() ? w.left() : w.top();
    if (!horizontal()) position = height() - position - thumbRect_.height();
    const int t = travel();
    long long v = t <= 0 ? 0
                         : rxslider::roundEven((long double)(position - start - 6) *
                                               ((long double)max_ - min_) / t);
    if (!(options_ & soSmooth) && increment_ > 0)
        v = (long long)rxslider::roundEven((long double)v / increment_) * increment_;
    return int(std::min<long long>((long long)min_ + std::max(v, 0LL), max_));
}

void TRxCustomSlider::layOut() {
    const QRect w = workingRect();
    const bool h = horizontal();
    const QImage& rulerPicture = images_[h ? siHRuler : siVRuler];
    const QImage& thumbPicture = images_[h ? siHThumb : siVThumb];
    const int track = std::max(0, (h ? w.width() : w.height()) - 12);
    ruler_ = rxslider::composeRuler(rulerPicture, track, edgeSize_, !h);
    const int states = numThumbStates_ == ntsTwo ? 2 : 1;
    const QSize thumb(thumbPicture.width() / states, thumbPicture.height());
    // Across the track: the ruler's thickness (the picture's, even when nothing is composed).
    const int rulerAcross = h ? rulerPicture.height() : rulerPicture.width();
    const int thumbAcross = h ? thumb.height() : thumb.width();
    const int centre = std::abs(rulerAcross - thumbAcross) / 2;
    const int l = w.left() + 6, t = w.top() + 6;
    if (thumbAcross <= rulerAcross) {
        thumbRect_ = h ? QRect(QPoint(l, t + centre), thumb) : QRect(QPoint(l + centre, t), thumb);
        rulerOrigin_ = QPoint(l, t);
    } else {
        thumbRect_ = QRect(QPoint(l, t), thumb);
        rulerOrigin_ = h ? QPoint(l, t + centre) : QPoint(l + centre, t);
    }
    const int length = h ? ruler_.width() : ruler_.height();
    if (h) {
        const int below = std::max(rulerOrigin_.y() + rulerAcross, thumbRect_.bottom() + 1) + 1;
        pointsRect_ = QRect(rulerOrigin_.x(), below, length, std::max(0, w.height() - 1 - below));
    } else {
        const int beside = std::max(rulerOrigin_.x() + rulerAcross, thumbRect_.right() + 1) + 1;
        pointsRect_ = QRect(beside, rulerOrigin_.y(), std::max(0, w.width() - 1 - beside), length);
    }
    updateKeyed();
    setValue(value_);
    update();
}

void TRxCustomSlider::updateKeyed() {
    const bool h = horizontal();
    const QImage& rulerPicture = images_[h ? siHRuler : siVRuler];
    const QImage& thumbPicture = images_[h ? siHThumb : siVThumb];
    keyedRuler_ = keyed(ruler_, corvina::keyColorOf(rulerPicture));
    const QRgb key = corvina::keyColorOf(thumbPicture);
    const QImage thumb = thumbPicture.convertToFormat(QImage::Format_RGB32);
    const int w = thumbRect_.width();
    keyedThumb_[0] = thumb.copy(0, 0, w, thumb.height());
    keyedThumb_[1] = numThumbStates_ == ntsTwo ? thumb.copy(w, 0, w, thumb.height()) : keyedThumb_[0];
    if (!(options_ & soThumbOpaque))
        for (QImage& state : keyedThumb_) state = keyed(state, key);
}

void TRxCustomSlider::setValue(int value) {
    value = std::clamp(value, min_, std::max(min_, max_));
    const bool differs = value != value_;
    value_ = value;
    moveThumb(positionOfValue(value));
    if (differs) changed();
}

void TRxCustomSlider::setRange(int min, int max) {
    if (!loading_ && max <= min) return;
    min_ = min;
    max_ = max;
    if (!loading_ && (long long)max < (long long)min + increment_) increment_ = max - min;
    if (options_ & soShowPoints) update();
    setValue(value_);
}

void TRxCustomSlider::setMinValue(int value) {
    if (value != min_) setRange(value, max_);
}

void TRxCustomSlider::setMaxValue(int value) {
    if (value != max_) setRange(min_, value);
}

void TRxCustomSlider::setIncrement(int value) {
    const long long range = (long long)max_ - min_;
    if (!loading_ && (value > range || value < 1))
        throw corvina::Error(
            QStringLiteral("Value must be between %1 and %2").arg(1).arg(range));
    if (value > 0 && value != increment_) {
        increment_ = value;
        setValue(value_);
        update();
    }
}

void TRxCustomSlider::setNumThumbStates(TNumThumbStates value) {
    if (value == numThumbStates_) return;
    numThumbStates_ = value;
    layOut();
}

void TRxCustomSlider::setOrientation(TSliderOrientation value) {
    if (value == orientation_) return;
    orientation_ = value;
    if (!loading_) resize(height(), width());
    layOut();
}

void TRxCustomSlider::setEdgeSize(int value) {
    const QImage& ruler = images_[horizontal() ? siHRuler : siVRuler];
    const int length = horizontal() ? ruler.width() : ruler.height();
    // A negative edge would cut pieces from outside the picture.
    if (value == edgeSize_ || value < 0 || 2 * value >= length) return;
    edgeSize_ = value;
    layOut();
}

void TRxCustomSlider::setOptions(TSliderOptions value) {
    if (value == options_) return;
    options_ = value;
    updateKeyed();
    update();
}

void TRxCustomSlider::setBevelStyle(TBevelCut value) {
    if (value == bevelStyle_) return;
    bevelStyle_ = value;
    layOut();
    update();
}

void TRxCustomSlider::setColor(quint32 value) {
    if (value == color_) return;
    color_ = value;
    update();
}

void TRxCustomSlider::setImage(TSliderImage index, const QImage& picture) {
    const quint8 bit = quint8(1u << index);
    if (picture.isNull()) {
        images_[index] = builtIn(index);
        userImages_ &= quint8(~bit);
        if (!loading_) {
            const bool ruler = index == siHRuler || index == siVRuler;
            options_ &= quint8(~(ruler ? soRulerOpaque : soThumbOpaque));
        }
    } else {
        images_[index] = picture.copy();
        userImages_ |= bit;
    }
    layOut();
}

void TRxCustomSlider::moveThumb(int position) {
    const QRect w = workingRect();
    const int lo = (horizontal() ? w.left() : w.top()) + 6;
    const int hi = lo + travel();
    position = std::clamp(position, lo, hi);
    position = std::clamp(positionOfValue(valueOfPosition(position)), lo, hi);
    update(thumbRect_);
    if (horizontal())
        thumbRect_.moveLeft(position);
    else
        thumbRect_.moveTop(position);
    update(thumbRect_);
    if (!sliding_) return;
    const int value = valueOfPosition(position);
    if (value == value_) return;
    value_ = value;
    changed();
}

void TRxCustomSlider::step(Step kind) {
    const long long inc = std::max(1, increment_);
    long long v = value_;
    const long long grid = (long long)rxslider::roundEven((long double)value_ / inc) * inc;
    switch (kind) {
        case Step::ToMin: v = min_; break;
        case Step::ToMax: v = max_; break;
        case Step::Up: v = grid + inc; break;
        case Step::Down: v = grid - inc; break;
        case Step::None: return;
    }
    v = std::clamp<long long>(v, min_, max_);
    if (v != value_) setValue(int(v));
}

void TRxCustomSlider::changed() {
    if (OnChange) corvina::runHandler([this] { OnChange(this); });
}

void TRxCustomSlider::changeDone() {
    if (OnChanged) corvina::runHandler([this] { OnChanged(this); });
}

bool TRxCustomSlider::onThumb(QPoint p) const {
    // Edges included: the right and bottom lines just past the picture count too.
    return p.x() >= thumbRect_.left() && p.x() <= thumbRect_.left() + thumbRect_.width() &&
           p.y() >= thumbRect_.top() && p.y() <= thumbRect_.top() + thumbRect_.height();
}

void TRxCustomSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    const QPoint p = event->position().toPoint();
    if (onThumb(p)) {
        sliding_ = true;
        thumbDown_ = true;
        grabDistance_ = horizontal() ? p.x() - thumbRect_.left() : p.y() - thumbRect_.top();
        repaint(thumbRect_);
        return;
    }
    QRect band(rulerOrigin_, ruler_.size());
    band = horizontal() ? band.adjusted(0, -3, 0, 3) : band.adjusted(-3, 0, 3, 0);
    if (ruler_.isNull() || !band.contains(p)) return;
    tracking_ = true;
    trackPoint_ = p;
    if (horizontal())
        startSide_ = p.x() < thumbRect_.left() ? Step::Down : Step::Up;
    else
        startSide_ = p.y() < thumbRect_.top() ? Step::Up : Step::Down;
    repeatStep();
}

void TRxCustomSlider::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click starts nothing of its own.
    if (event->button() == Qt::LeftButton && OnDblClick)
        corvina::runHandler([this] { OnDblClick(this); });
}

void TRxCustomSlider::repeatStep() {
    if (!repeat_.isActive()) repeat_.start(400, this);
    bool sameSide = false;
    const QRect& t = thumbRect_;
    switch (startSide_) {
        case Step::Down:
            sameSide = horizontal() ? trackPoint_.x() < t.left()
                                    : trackPoint_.y() > t.top() + t.height();
            break;
        case Step::Up:
            sameSide = horizontal() ? trackPoint_.x() > t.left() + t.width()
                                    : trackPoint_.y() < t.top();
            break;
        default:
            break;
    }
    if (sameSide) step(startSide_);
}

void TRxCustomSlider::timerEvent(QTimerEvent* event) {
    if (event->timerId() != repeat_.timerId()) return QWidget::timerEvent(event);
    if (tracking_) repeatStep();
}

void TRxCustomSlider::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    if ((event->buttons() & Qt::LeftButton) && sliding_)
        moveThumb((horizontal() ? p.x() : p.y()) - grabDistance_);
    else if (tracking_)
        trackPoint_ = p;
    updateCursor(p);
}

void TRxCustomSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    if (tracking_) {
        tracking_ = false;
        repeat_.stop();
        changeDone();
    }
    if (sliding_) {
        sliding_ = false;
        thumbDown_ = false;
        repaint(thumbRect_);
        changeDone();
    }
    if (rect().contains(event->position().toPoint()) && OnClick)
        corvina::runHandler([this] { OnClick(this); });
}

void TRxCustomSlider::updateCursor(QPoint p) {
    const bool over = onThumb(p);
    if (over && !handShown_) {
        ownCursor_ = cursor();
        handShown_ = true;
        setCursor(rxCursor(crRxHand));
    } else if (!over && handShown_) {
        handShown_ = false;
        setCursor(ownCursor_);
    }
}

void TRxCustomSlider::leaveEvent(QEvent* event) {
    if (!sliding_) updateCursor(QPoint(-100, -100));
    QWidget::leaveEvent(event);
}

void TRxCustomSlider::keyPressEvent(QKeyEvent* event) {
    Step kind = Step::None;
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Home: kind = Step::ToMin; break;
            case Qt::Key_End: kind = Step::ToMax; break;
            case Qt::Key_Left: if (horizontal()) kind = Step::Down; break;
            case Qt::Key_Right: if (horizontal()) kind = Step::Up; break;
            case Qt::Key_Up: if (!horizontal()) kind = Step::Up; break;
            case Qt::Key_Down: if (!horizontal()) kind = Step::Down; break;
            default: break;
        }
    }
    if (kind == Step::None) return QWidget::keyPressEvent(event);
    event->accept();
    step(kind);
    changeDone();
}

void TRxCustomSlider::focusInEvent(QFocusEvent* event) {
    focused_ = true;
    if (options_ & soShowFocus) update();
    QWidget::focusInEvent(event);
}

void TRxCustomSlider::focusOutEvent(QFocusEvent* event) {
    focused_ = false;
    if (options_ & soShowFocus) update();
    QWidget::focusOutEvent(event);
}

void TRxCustomSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update(thumbRect_);
    QWidget::changeEvent(event);
}

void TRxCustomSlider::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void TRxCustomSlider::renderTo(QImage& image) {
    QPainter painter(&image);
    painter.setClipRect(QRect(0, 0, width(), height()));
    paint(painter);
}

void TRxCustomSlider::paintEvent(QPaintEvent*) {
    // The whole control goes to a buffer first and to the screen in one copy, so a moving thumb
    // never shows a half-drawn frame.
    QImage buffer(size(), QImage::Format_RGB32);
    {
        QPainter painter(&buffer);
        paint(painter);
    }
    QPainter(this).drawImage(0, 0, buffer);
}

void TRxCustomSlider::paint(QPainter& painter) {
    QRect r(0, 0, width(), height());
    if (bevelStyle_ != bvNone) {
        const QColor shadow = corvina::colorFromWin(clBtnShadow);
        const QColor light = corvina::colorFromWin(clBtnHighlight);
        if (bevelStyle_ == bvLowered)
            frame3D(painter, r, shadow, light, kBevelWidth);
        else
            frame3D(painter, r, light, shadow, kBevelWidth);
    }
    painter.fillRect(r, corvina::colorFromWin(color_));
    if (!ruler_.isNull())
        painter.drawImage(rulerOrigin_, (options_ & soRulerOpaque) ? ruler_ : keyedRuler_);
    if ((options_ & soShowFocus) && focused_) {
        QPen pen(corvina::colorFromWin(clWindowText), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        const QRect f = workingRect().adjusted(2, 2, -2, -2);
        painter.drawRect(f.adjusted(0, 0, -1, -1));
    }
    if (options_ & soShowPoints) {
        if (OnDrawPoints)
            OnDrawPoints(this, painter, pointsRect_);
        else
            drawPoints(painter);
    }
    const int state = numThumbStates_ == ntsTwo && (thumbDown_ || !isEnabled()) ? 1 : 0;
    painter.drawImage(thumbRect_.topLeft(), keyedThumb_[state]);
}

void TRxCustomSlider::drawPoints(QPainter& painter) {
    const long long range = (long long)max_ - min_;
    const int t = travel();
    if (range <= 0 || t <= 0 || pointsRect_.isEmpty()) return;
    // At most about one mark per 4 pixels: the step grows in whole increments.
    long long stepSize = std::max(1, increment_);
    while (stepSize < range && (long double)stepSize * t / range < 4) stepSize *= 2;
    painter.setPen(corvina::colorFromWin(clWindowText));
    const auto mark = [&](long long v, int length) {
        const int at = positionOfValue(int(v)) + thumbLength() / 2;
        if (horizontal())
            painter.drawLine(at, pointsRect_.top(), at, pointsRect_.top() + length - 1);
        else
            painter.drawLine(pointsRect_.left(), at, pointsRect_.left() + length - 1, at);
    };
    for (long long v = min_ + stepSize; v < max_; v += stepSize) mark(v, 3);
    mark(min_, 5);
    mark(max_, 5);
}
