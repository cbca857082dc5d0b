#include "components/TFlatHintUnit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QList>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "components/Colors.h"

namespace {

using corvina::hint::Scheduler;

QList<QPointer<TFlatHint>>& livingHints() {
    static QList<QPointer<TFlatHint>> hints;
    return hints;
}

// Takes over Qt's tool tips for the whole application: Qt's own tip never shows, and the pointer
// drives a Scheduler instead, whose Show and Hide the balloon carries out.
class HintDispatcher : public QObject {
public:
    static HintDispatcher& instance() {
        // Owned by the application object: it outlives every window that has hints.
        static HintDispatcher* dispatcher = new HintDispatcher(qApp);
        return *dispatcher;
    }

    TFlatHintWindow* window() const { return window_; }

    void setTimings(const corvina::hint::Timings& timings) { scheduler_.setTimings(timings); }
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    void poll() { carryOut(scheduler_.due(now())); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        switch (event->type()) {
            case QEvent::ToolTip:
                if (object->isWidgetType()) return true;
                break;
            case QEvent::MouseMove:
                if (object->isWidgetType()) pointerMoved(static_cast<QWidget*>(object), event);
                break;
            case QEvent::Leave:
                // The pointer left one of the application's windows (not just a child).
                if (object->isWidgetType() && static_cast<QWidget*>(object)->isWindow() &&
                    object != window_)
                    carryOut(scheduler_.pointerOver(0, now()));
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::Wheel:
                carryOut(scheduler_.cancel());
                break;
            default:
                break;
        }
        return false;
    }

private:
    explicit HintDispatcher(QObject* parent) : QObject(parent) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        elapsed_.start();
        qApp->installEventFilter(this);
        // The balloon is a window of its own, owned by nobody: it goes when the event loop
        // ends, while the windowing system is still there to take it down.
        connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
            delete window_;
            window_ = nullptr;
        });
    }

    qint64 now() const { return clock_ ? clock_() : elapsed_.elapsed(); }

    void pointerMoved(QWidget* widget, QEvent* event) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() != Qt::NoButton) return;
        // A move reaches the application's filters once per widget up the parent chain; only
        // the first, for the widget under the pointer, counts.
        const QPoint global = mouse->globalPosition().toPoint();
        if (mouse->timestamp() == lastTimestamp_ && global == lastGlobal_) return;
        lastTimestamp_ = mouse->timestamp();
        lastGlobal_ = global;
        if (!widget->rect().contains(mouse->position().toPoint())) return;  // a grab elsewhere
        if (widget == window_) return;

        QWidget* control = widget;
        while (control && control->toolTip().isEmpty() && !control->isWindow())
            control = control->parentWidget();
        if (control && control->toolTip().isEmpty()) control = nullptr;
        control_ = control;
        carryOut(scheduler_.pointerOver(reinterpret_cast<quintptr>(control), now()));
    }

    void carryOut(Scheduler::Action action) {
        if (action == Scheduler::Action::Show) show();
        if (action == Scheduler::Action::Hide && window_) window_->hide();
        rearm();
    }

    void show() {
        QWidget* control = control_.data();
        if (!control || !control->isVisible() ||
            reinterpret_cast<quintptr>(control) != scheduler_.control()) {
            scheduler_.cancel();
            return;
        }
        TFlatHint* owner = TFlatHint::owner();
        QString text = control->toolTip();
        bool canShow = true;
        THintInfo info;
        info.HintControl = control;
        info.CursorPos = QCursor::pos();
        info.HideTimeout = scheduler_.timings().hidePause;
        if (owner && owner->OnShowHint) owner->OnShowHint(text, canShow, info);
        if (!canShow || text.isEmpty()) {
            scheduler_.cancel();
            return;
        }
        if (!window_) window_ = new TFlatHintWindow;
        // The screen the pointer is on, so a second monitor gets its hints the same way; the
        // primary screen when the pointer is on none.
        QScreen* screen = QGuiApplication::screenAt(info.CursorPos);
        if (!screen) screen = QGuiApplication::primaryScreen();
        window_->activateHint(text, info.CursorPos, screen ? screen->geometry() : QRect());
        scheduler_.shown(now(), info.HideTimeout);
    }

    void rearm() {
        const std::optional<qint64> deadline = scheduler_.deadline();
        if (!deadline) {
            timer_.stop();
            return;
        }
        timer_.start(int(std::max<qint64>(0, *deadline - now())));
    }

    Scheduler scheduler_;
    QTimer timer_;
    QElapsedTimer elapsed_;
    std::function<qint64()> clock_;
    QPointer<QWidget> control_;
    QPointer<TFlatHintWindow> window_;
    quint64 lastTimestamp_ = 0;
    QPoint lastGlobal_{-1, -1};
};

}  // namespace

TFlatHint::TFlatHint(QObject* owner)
    : QObject(owner), colors_{clWhite, clBlack, 5493503, clBlack} {
    livingHints().append(this);
    HintDispatcher& dispatcher = HintDispatcher::instance();
    dispatcher.setTimings({500, 25, 5000});
}

TFlatHint::~TFlatHint() { livingHints().removeAll(this); }

void TFlatHint::setColor(int index, quint32 color) { colors_[index] = color; }

TFlatHint* TFlatHint::owner() {
    for (const QPointer<TFlatHint>& hint : livingHints())
        if (hint) return hint.data();
    return nullptr;
}

TFlatHintWindow* TFlatHint::hintWindow() { return HintDispatcher::instance().window(); }

void TFlatHint::setClockForTesting(std::function<qint64()> clock) {
    HintDispatcher::instance().setClock(std::move(clock));
}

void TFlatHint::poll() { HintDispatcher::instance().poll(); }

TFlatHintWindow::TFlatHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
    setObjectName(QStringLiteral("FlatHintWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TFlatHintWindow::activateHint(const QString& text, QPoint cursor, const QRect& screen) {
    text_ = text;
    const TFlatHint* owner = TFlatHint::owner();
    drawFont_ = owner ? owner->Font() : QFont();
    const int maxWidth = owner ? owner->MaxHintWidth() : 200;
    const corvina::hint::WrappedText wrapped =
        corvina::hint::wrapText(text, drawFont_, maxWidth - corvina::hint::kExtraWidth);
    lines_ = wrapped.lines;
    const QSize size = wrapped.extent + QSize(corvina::hint::kExtraWidth, corvina::hint::kExtraHeight);
    corner_ = corvina::hint::cornerFor(cursor, screen);
    setGeometry(corvina::hint::boxRect(cursor, size, corner_));
    update();
    show();
}

void TFlatHintWindow::renderTo(QImage& image) {
    QPainter painter(&image);
    painter.setClipRect(QRect(QPoint(0, 0), size()));
    paint(painter);
}

void TFlatHintWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter);
}

void TFlatHintWindow::paint(QPainter& painter) {
    using namespace corvina::hint;
    const TFlatHint* owner = TFlatHint::owner();
    const quint32 background = owner ? owner->ColorBackground() : clWhite;
    const quint32 border = owner ? owner->ColorBorder() : clBlack;
    const quint32 arrowBackground = owner ? owner->ColorArrowBackground() : 5493503;
    const quint32 arrow = owner ? owner->ColorArrow() : clBlack;

    const QSize box = size();
    const QRect strip = stripRect(box, corner_);
    QRect textArea = textAreaRect(box, corner_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(strip, corvina::colorFromWin(arrowBackground));
    painter.fillRect(textArea, corvina::colorFromWin(background));
    painter.setPen(corvina::colorFromWin(border));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, box.width() - 1, box.height() - 1);

    // The glyph is drawn pointing up-left and mirrored for the other corners, so all four are
    // the same pixels (the rasteriser would shift a mirrored outline by a pixel).
    QImage glyph(8, 8, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    {
        QPainter glyphPainter(&glyph);
        glyphPainter.setPen(corvina::colorFromWin(arrow));
        glyphPainter.setBrush(corvina::colorFromWin(border));
        const QPoint a = corvina::hint::arrowPoint(box, RightBelow);
        glyphPainter.drawPolygon(arrowPolygon(box, RightBelow).translated(-a), Qt::OddEvenFill);
    }
    const bool mirrorX = corner_ == LeftBelow || corner_ == LeftAbove;
    const bool mirrorY = corner_ == RightAbove || corner_ == LeftAbove;
    const QPoint a = corvina::hint::arrowPoint(box, corner_);
    painter.drawImage(QPoint(mirrorX ? a.x() - 7 : a.x(), mirrorY ? a.y() - 7 : a.y()),
                      glyph.mirrored(mirrorX, mirrorY));

    // The lines as measured, so the text fills exactly the box that was sized for it.
    textArea.adjust(3, 1, -3, -1);
    painter.setFont(drawFont_);
    painter.setPen(corvina::colorFromWin(clWindowText));
    const QFontMetrics metrics(drawFont_);
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    int y = textArea.top();
    for (const QString& line : lines_) {
        const QRect lineRect(textArea.left(), y, textArea.width(), metrics.height());
        painter.drawText(lineRect, (rightToLeft ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop,
                         line);
        y += metrics.height();
    }
}
