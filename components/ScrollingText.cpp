#include "components/ScrollingText.h"

#include <QBackingStore>
#include <QFontMetrics>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cstring>

#include "platform/ErrorReport.h"
#include "platform/shell/WindowPixels.h"

namespace {

// Rounded a x b / c, halves away from zero (c != 0).
int mulDiv(int a, int b, int c) {
    const qint64 num = qint64(a) * b;
    const qint64 q = (2 * std::llabs(num) + std::llabs(c)) / (2 * std::llabs(qint64(c)));
    return int(((num < 0) != (c < 0)) ? -q : q);
}

}  // namespace

TScrollingText::TScrollingText(QWidget* parent) : TGraphicControl(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(50, 18);
    scrollPos_ = -width();
    timer_.setInterval(speed_);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
    timer_.start();
    rebuild();
}

TScrollingText::~TScrollingText() {
    timer_.stop();
}

QColor TScrollingText::fadeColor(int k, int n, const QColor& from, const QColor& to) {
    if (k < 1 || k > n)
        throw corvina::Error(QStringLiteral("ColorIndex can't be less than 1 or greater than ") +
                             QString::number(n));
    // A single fade column has no in-between; it takes the background, like every outermost
    // column, so a one-pixel fade still softens the edge.
    if (n == 1) return from;
    auto part = [&](int s, int e) { return (s + mulDiv(k - 1, e - s, n - 1)) & 0xFF; };
    return QColor(part(from.red(), to.red()), part(from.green(), to.green()),
                  part(from.blue(), to.blue()));
}

void TScrollingText::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    rebuild();
}

void TScrollingText::setSpeed(int ms) {
    if (ms == speed_) return;
    speed_ = ms;
    // A zero interval would tick as fast as the event loop runs; no interval means no movement.
    if (ms > 0) {
        timer_.setInterval(ms);
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

void TScrollingText::setBackgroundColor(quint32 color) {
    if (color == backgroundColor_) return;
    backgroundColor_ = color;
    rebuild();
}

void TScrollingText::setEdgeFadeWidth(int width) {
    if (width == edgeFadeWidth_) return;
    edgeFadeWidth_ = width;
    rebuild();
}

void TScrollingText::setLayout(TTextLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    rebuild();
}

void TScrollingText::setTextDirection(TTextDirection direction) {
    if (direction == textDirection_) return;
    textDirection_ = direction;
    startPosition();
    rebuild();
}

void TScrollingText::setVisible(bool visible) {
    if (visible != visible_) {
        visible_ = visible;
        setEnabled(visible);
    }
    TGraphicControl::setVisible(visible);
}

void TScrollingText::Loaded() {
    rebuild();
    startPosition();
}

void TScrollingText::startPosition() {
    if (textDirection_ == tdRightToLeft) {
        scrollPos_ = 0;
        return;
    }
    ensureBuilt();
    scrollPos_ = width() - strip_.width();
}

void TScrollingText::tick() {
    if (!isEnabled()) return;
    ensureBuilt();
    const int end = width() - strip_.width();
    if (textDirection_ == tdRightToLeft) {
        scrollPos_ -= pixelJump_;
        if (scrollPos_ <= end) scrollPos_ = 0;
    } else {
        scrollPos_ += pixelJump_;
        if (scrollPos_ >= 0) scrollPos_ = end;
    }
    if (!presentFrame()) repaint();
}

bool TScrollingText::uncovered() const {
    // Nothing may paint over the control: no child of it, no sibling stacked above it or above
    // any of its ancestors, and every ancestor holds it whole.
    for (const QObject* child : children())
        if (child->isWidgetType() && static_cast<const QWidget*>(child)->isVisible()) return false;
    const QWidget* w = this;
    QRect area = rect();
    while (!w->isWindow()) {
        const QWidget* parent = w->parentWidget();
        area.translate(w->pos());
        if (!parent->rect().contains(area)) return false;
        const QObjectList& siblings = parent->children();
        for (qsizetype i = siblings.indexOf(const_cast<QWidget*>(w)) + 1; i < siblings.size(); ++i) {
            const QObject* o = siblings.at(i);
            if (!o->isWidgetType()) continue;
            const auto* sibling = static_cast<const QWidget*>(o);
            if (!sibling->isWindow() && sibling->isVisible() && sibling->geometry().intersects(area))
                return false;
        }
        w = parent;
    }
    return true;
}

bool TScrollingText::presentFrame() {
    // A marquee frame is a few thousand pixels; the widget repaint around it (region bookkeeping,
    // a painter on the backing store, the paint event, the flush) costs many times that, twenty
    // times a second for as long as the player runs. Where nothing else can show in the control's
    // rectangle, the frame goes straight onto the window on the display, or failing that into
    // the backing store's pixels, and that rectangle is flushed. Everywhere else, and until the
    // window's first paint has sized its backing store, the ordinary repaint does it; an
    // exposure still repaints through the paint event.
    if (!isVisible()) return false;
    QWidget* top = window();
    QWindow* handle = top->windowHandle();
    QBackingStore* store = top->backingStore();
    if (!handle || !store || !handle->isExposed() || !uncovered()) return false;
    const QRect area(mapTo(top, QPoint(0, 0)), size());
    if (area.isEmpty() || !QRect(QPoint(0, 0), store->size()).contains(area)) return false;
    ensureBuilt();
    if (frame_.isNull()) return false;
    if (handle->devicePixelRatio() == 1.0) {
        // The store gets this frame when the window is next exposed (the filter below asks for
        // that repaint); until then it keeps an older one, which nothing shows.
        composeFrame();
        if (corvina::shell::putOnWindow(handle, area.topLeft(), frame_)) {
            if (exposures_ != handle) {
                if (exposures_) exposures_->removeEventFilter(this);
                handle->installEventFilter(this);
                exposures_ = handle;
            }
            return true;
        }
    }
    store->beginPaint(area);
    QPaintDevice* device = store->paintDevice();
    auto* image = device && device->devType() == QInternal::Image ? static_cast<QImage*>(device)
                                                                  : nullptr;
    const bool direct =
        image && image->devicePixelRatio() == 1.0 &&
        (image->format() == QImage::Format_RGB32 ||
         image->format() == QImage::Format_ARGB32_Premultiplied) &&
        image->rect().contains(area);
    if (direct) {
        for (int y = 0; y < area.height(); ++y)
            composeRow(y, reinterpret_cast<QRgb*>(image->scanLine(area.y() + y)) + area.x());
    } else if (device) {
        QPainter painter(device);
        painter.translate(area.topLeft());
        paint(painter);
    }
    store->endPaint();
    store->flush(area, handle);
    return device != nullptr;
}

bool TScrollingText::eventFilter(QObject* watched, QEvent* event) {
    // Seen before the window handles the exposure: the repaint asked for here goes out with it,
    // so the exposed window shows the frame now on screen rather than the store's older one.
    if (watched == exposures_ && event->type() == QEvent::Expose) update();
    return TGraphicControl::eventFilter(watched, event);
}

void TScrollingText::fontChanged() {
    rebuild();
}

void TScrollingText::resizeEvent(QResizeEvent* event) {
    TGraphicControl::resizeEvent(event);
    rebuild();
}

void TScrollingText::rebuild() {
    // Drawn when next used: the stored properties arrive one by one as the window is made, and
    // the first measurement of the text loads the font machinery, which need not hold up the
    // first window.
    stale_ = true;
    update();
}

void TScrollingText::ensureBuilt() const {
    // A hidden control hears of a new size only when it is shown; check before using the buffers.
    if (stale_ || fade_.size() != size()) build();
}

void TScrollingText::build() const {
    stale_ = false;
    const int w = width(), h = height();
    const QColor back = corvina::colorFromWin(backgroundColor_);
    const QColor fore = corvina::colorFromWin(FontColor());

    // The letters go onto the strip in a key colour, so a frame can let the fade bitmap show
    // through them. The key must never equal the background or the whole strip would vanish.
    quint32 key = (FontColor() == clGreen || backgroundColor_ == clGreen) ? clRed : clGreen;
    for (quint32 other : {clRed, clGreen, clBlue, clFuchsia}) {
        if (corvina::colorFromWin(key).rgb() != back.rgb()) break;
        key = other;
    }
    key_ = corvina::colorFromWin(key).rgb();
    back_ = back.rgb();

    QFont font = this->font();
    font.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(font);
    const int textWidth = metrics.horizontalAdvance(text_);
    strip_ = QImage(std::max(textWidth + 2 * w, 0), std::max(h, 0), QImage::Format_RGB32);
    strip_.fill(back);
    if (!strip_.isNull() && !text_.isEmpty()) {
        int y = 0;
        if (layout_ == tlCenter)
            y = h / 2 - metrics.height() / 2;
        else if (layout_ == tlBottom)
            y = h - metrics.height();
        QPainter p(&strip_);
        p.setFont(font);
        p.setPen(QColor::fromRgb(key_));
        p.drawText(QPoint(w, y + metrics.ascent()), text_);
    }

    fade_ = QImage(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
    fade_.fill(fore);
    if (!fade_.isNull()) {
        QPainter p(&fade_);
        // Columns beyond the control's width would fall outside on both sides.
        for (int i = 0; i < std::min(edgeFadeWidth_, w); ++i) {
            const QColor c = fadeColor(i + 1, edgeFadeWidth_, back, fore);
            p.fillRect(QRect(i, 0, 1, h), c);
            p.fillRect(QRect(w - 1 - i, 0, 1, h), c);
        }
    }
    frame_ = QImage(std::max(w, 0), std::max(h, 0), QImage::Format_RGB32);
}

void TScrollingText::composeRow(int y, QRgb* out) const {
    const int w = frame_.width();
    const int first = std::max(0, scrollPos_);
    const int last = std::min(w, scrollPos_ + strip_.width());
    // After a text change the kept position may leave part of the frame beyond the strip until
    // the movement wraps; that part shows the background, not a bar of the fade bitmap.
    std::memcpy(out, fade_.constScanLine(y), size_t(w) * sizeof(QRgb));
    const auto* in = reinterpret_cast<const QRgb*>(strip_.constScanLine(y));
    for (int x = 0; x < first; ++x) out[x] = back_;
    for (int x = first; x < last; ++x) {
        const QRgb s = in[x - scrollPos_];
        if (s != key_) out[x] = s;
    }
    for (int x = std::max(first, last); x < w; ++x) out[x] = back_;
}

void TScrollingText::composeFrame() const {
    for (int y = 0; y < frame_.height(); ++y)
        composeRow(y, reinterpret_cast<QRgb*>(frame_.scanLine(y)));
}

void TScrollingText::paint(QPainter& painter) {
    ensureBuilt();
    if (frame_.isNull()) return;
    composeFrame();
    painter.drawImage(0, 0, frame_);
}
