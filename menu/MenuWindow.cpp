#include "menu/MenuWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <QTimer>

#include "components/Colors.h"
#include "menu/Desktop.h"
#include "menu/DropShadow.h"
#include "menu/Menu2000.h"
#include "platform/sound/EventSound.h"

namespace {

qint64 tickCount() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// The frame message: the tick count when it was sent and the time that should pass before the
// frame.
class FrameEvent : public QEvent {
public:
    FrameEvent(qint64 sent, qint64 delay) : QEvent(type()), sent(sent), delay(delay) {}
    static QEvent::Type type() {
        static const int registered = QEvent::registerEventType(QEvent::User + 0x502);
        return QEvent::Type(registered);
    }
    qint64 sent;
    qint64 delay;
};

int rings(const T_AM2000_MenuOptions& o) {
    return o.Margins.Border + o.Margins.Bevel;
}

int itemHeight(const T_AM2000_MenuOptions& o, const QFontMetrics& fm) {
    return std::max(16 + 4, fm.height() + 6) + o.Margins.Item;
}

// Item metrics come from the options; the menu draws every pixel itself, so the base style only
// supplies behaviour (delays, mouse tracking).
class MenuStyle : public QProxyStyle {
public:
    explicit MenuStyle(TPopupMenu2000* menu)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), menu_(menu) {
        setParent(menu);
        setObjectName(QStringLiteral("T_AM2000_Style"));
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
            case PM_MenuPanelWidth:
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuDesktopFrameWidth:
            case PM_MenuTearoffHeight:
                return 0;
            case PM_SubMenuOverlap:
                // A submenu opens over the parent's edge rings, its items beside the parent's.
                return rings(*menu_->Options()) + 2;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || !item) return QProxyStyle::sizeFromContents(type, option, size, widget);
        const T_AM2000_MenuOptions& o = *menu_->Options();
        const QFontMetrics fm = widget ? widget->fontMetrics() : option->fontMetrics;
        if (item->menuItemType == QStyleOptionMenuItem::Separator)
            return {o.Margins.Left + o.Margins.Right, o.Margins.Separator};
        QString text = item->text.section(QLatin1Char('\t'), 0, 0);
        const int textWidth = fm.horizontalAdvance(QString(text).remove(QLatin1Char('&')));
        return {o.Margins.Left + o.Margins.Space + textWidth + o.Margins.Right, itemHeight(o, fm)};
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        switch (hint) {
            case SH_Menu_Scrollable:
            case SH_Menu_FadeOutOnHide:
            case SH_Menu_AllowActiveAndDisabled:
                return 0;
            case SH_Menu_MouseTracking:
            case SH_Menu_SloppySubMenus:
            case SH_Menu_SpaceActivatesItem:
                return 1;
            default:
                return QProxyStyle::styleHint(hint, option, widget, returnData);
        }
    }

private:
    TPopupMenu2000* menu_;
};

QStyle* styleFor(TPopupMenu2000* menu) {
    if (auto* style = menu->findChild<MenuStyle*>(QString(), Qt::FindDirectChildrenOnly))
        return style;
    return new MenuStyle(menu);
}

// Whether the desktop animates menus, as read before the library turned Qt's own menu effects
// off (the menus animate themselves).
bool desktopAnimatesMenus() {
    static const bool animates = [] {
        const bool on = QApplication::isEffectEnabled(Qt::UI_AnimateMenu) ||
                        QApplication::isEffectEnabled(Qt::UI_FadeMenu);
        QApplication::setEffectEnabled(Qt::UI_AnimateMenu, false);
        QApplication::setEffectEnabled(Qt::UI_FadeMenu, false);
        return on;
    }();
    return animates;
}

QImage keyedOut(const QImage& picture) {
    const QRgb key = corvina::keyColorOf(picture);
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] | 0xFF000000u) == key) row[x] = 0;
    }
    return image;
}

void fill(QPainter& p, const QRect& rect, quint32 colour) {
    const QColor c = corvina::colorFromWin(colour);
    if (c.isValid()) p.fillRect(rect, c);
}

// One ring: top and left edges lit, bottom and right shaded.
void ring(QPainter& p, QRect& r, quint32 lit, quint32 shade) {
    fill(p, QRect(r.left(), r.top(), r.width(), 1), lit);
    fill(p, QRect(r.left(), r.top(), 1, r.height()), lit);
    fill(p, QRect(r.left(), r.bottom(), r.width(), 1), shade);
    fill(p, QRect(r.right(), r.top(), 1, r.height()), shade);
    r.adjust(1, 1, -1, -1);
}

QColor mix(const QColor& a, const QColor& b, int percentOfA) {
    auto m = [&](int x, int y) { return (x * percentOfA + y * (100 - percentOfA)) / 100; };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()));
}

}  // namespace

T_AM2000_MenuWindow::T_AM2000_MenuWindow(TPopupMenu2000* menu, T_AM2000_MenuWindow* parentWindow)
    : QMenu(parentWindow), menu_(menu), parentWindow_(parentWindow) {
    desktopAnimatesMenus();
    setStyle(styleFor(menu));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(menu->SystemFont ? QApplication::font("QMenu") : menu->Font);
    setToolTipsVisible(menu->ShowHint);
    const T_AM2000_MenuOptions& o = *menu->Options();
    QMargins margins(rings(o), rings(o), rings(o), rings(o));
    if (o.Title.Visible) {
        switch (o.Title.Align) {
            case atLeft: margins.setLeft(margins.left() + o.Title.Width); break;
            case atRight: margins.setRight(margins.right() + o.Title.Width); break;
            case atTop: margins.setTop(margins.top() + o.Title.Width); break;
            case atBottom: margins.setBottom(margins.bottom() + o.Title.Width); break;
        }
    }
    setContentsMargins(margins);
}

T_AM2000_MenuWindow::~T_AM2000_MenuWindow() {
    if (shown_) {
        shown_ = false;
        closeEffects();
    }
    delete shadow_.data();
}

void T_AM2000_MenuWindow::build(const TMenuItem2000& parent) {
    for (TMenuItem2000* item : parent.Items) {
        if (!item || !item->Visible) continue;
        QAction* action = nullptr;
        if (item->isSeparator()) {
            action = addSeparator();
        } else if (!item->Items.empty()) {
            auto* sub = new T_AM2000_MenuWindow(menu_, this);
            sub->setObjectName(item->objectName());
            sub->setTitle(item->Caption);
            sub->build(*item);
            action = addMenu(sub);
        } else {
            action = addAction(item->Caption);
        }
        action->setObjectName(item->objectName());
        action->setData(QVariant::fromValue(static_cast<QObject*>(item)));
        action->setEnabled(item->Enabled);
        if (item->Checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        if (!item->Bitmap.isNull()) pictures_.insert(action, keyedOut(item->Bitmap));
    }
}

TMenuItem2000* T_AM2000_MenuWindow::itemOf(const QAction* action) {
    return action ? qobject_cast<TMenuItem2000*>(action->data().value<QObject*>()) : nullptr;
}

QAction* T_AM2000_MenuWindow::actionOf(const TMenuItem2000* item) const {
    for (QAction* action : actions())
        if (itemOf(action) == item) return action;
    return nullptr;
}

T_AM2000_MenuWindow* T_AM2000_MenuWindow::outermost() {
    T_AM2000_MenuWindow* w = this;
    while (w->parentWindow_) w = w->parentWindow_;
    return w;
}

QImage T_AM2000_MenuWindow::renderMenu() {
    const T_AM2000_MenuOptions& o = *menu_->Options();
    const T_AM2000_Colors& c = o.Colors;
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    fill(p, image.rect(), c.Menu);
    QRect inner = image.rect();
    for (int i = 0; i < o.Margins.Border; ++i) ring(p, inner, c.Border, c.Border);
    for (int i = 0; i < o.Margins.Bevel; ++i) ring(p, inner, c.Bevel, c.BevelShadow);

    if (o.Title.Visible && o.Title.Width > 0) {
        const bool vertical = o.Title.Align == atLeft || o.Title.Align == atRight;
        QRect strip = inner;
        if (o.Title.Align == atLeft) strip.setWidth(o.Title.Width);
        if (o.Title.Align == atRight) strip.setLeft(inner.right() + 1 - o.Title.Width);
        if (o.Title.Align == atTop) strip.setHeight(o.Title.Width);
        if (o.Title.Align == atBottom) strip.setTop(inner.bottom() + 1 - o.Title.Width);
        const QColor begin = corvina::colorFromWin(o.Title.ColorBegin);
        const QColor end = corvina::colorFromWin(o.Title.ColorEnd);
        if (begin.isValid() && end.isValid()) {
            QLinearGradient gradient(vertical ? strip.bottomLeft() : strip.topLeft(),
                                     vertical ? strip.topLeft() : strip.topRight());
            gradient.setColorAt(0, begin);
            gradient.setColorAt(1, end);
            p.fillRect(strip, gradient);
        }
        p.save();
        p.setClipRect(strip);
        const QImage& bitmap = o.Title.Bitmap;
        // The strip's picture runs along the whole edge, repeated where the menu is longer.
        if (!bitmap.isNull()) {
            if (vertical)
                for (int y = strip.top(); y <= strip.bottom(); y += bitmap.height())
                    p.drawImage(strip.left(), y, bitmap);
            else
                for (int x = strip.left(); x <= strip.right(); x += bitmap.width())
                    p.drawImage(x, strip.top(), bitmap);
        }
        if (!o.Title.Text.isEmpty()) {
            p.setPen(corvina::colorFromWin(c.HighlightText));
            if (vertical) {
                p.translate(strip.left(), strip.bottom());
                p.rotate(-90);
                p.drawText(QRect(4, 0, strip.height() - 8, strip.width()),
                           Qt::AlignVCenter | Qt::AlignLeft, o.Title.Text);
            } else {
                p.drawText(strip.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                           o.Title.Text);
            }
        }
        p.restore();
    }

    p.setFont(font());
    for (QAction* action : actions()) {
        if (!action->isVisible()) continue;
        const QRect r = actionGeometry(action);
        if (r.isValid()) drawItem(p, action, r);
    }
    return image;
}

void T_AM2000_MenuWindow::drawItem(QPainter& p, QAction* action, const QRect& r) {
    const T_AM2000_MenuOptions& o = *menu_->Options();
    const T_AM2000_Colors& c = o.Colors;
    const T_AM2000_Margins& m = o.Margins;
    if (action->isSeparator()) {
        const int y = r.top() + (r.height() - 1) / 2;
        const QRect line(r.left() + m.Gutter, y, r.width() - m.Gutter - 2, 1);
        fill(p, line, c.Line);
        fill(p, line.translated(0, 1), c.LineShadow);
        return;
    }
    const bool enabled = action->isEnabled();
    const bool lit = enabled && action == activeAction();
    if (lit) {
        fill(p, r, c.Highlight);
        if (menu_->Ctl3D) {
            QRect edge = r;
            ring(p, edge, c.Frame, c.FrameShadow);
        }
    }

    // The picture column: a checked item shows its picture sunk into a tinted cell (or a tick
    // where it has no picture).
    const QRect cell(r.left() + 1, r.top() + 1, m.Gutter - 2, r.height() - 2);
    const QImage picture = pictures_.value(action);
    if (action->isChecked()) {
        const QColor menuColour = corvina::colorFromWin(c.Menu);
        const QColor tint = corvina::colorFromWin(c.Highlight);
        if (!lit && tint.isValid() && menuColour.isValid()) p.fillRect(cell, mix(tint, menuColour, 18));
        QRect edge = cell;
        ring(p, edge, c.FrameShadow, c.Frame);
    }
    const QPoint at(r.left() + (m.Gutter - 16) / 2, r.top() + (r.height() - 16) / 2);
    if (!picture.isNull()) {
        if (!o.hasFlag(mfNoBitmapRect) && lit && !action->isChecked()) {
            QRect edge(at - QPoint(2, 2), QSize(20, 20));
            ring(p, edge, c.Frame, c.FrameShadow);
        }
        p.drawImage(at, picture);
    } else if (action->isChecked()) {
        QPainterPath tick;
        const QPointF base = QPointF(cell.center()) + QPointF(-3.5, 0.5);
        tick.moveTo(base);
        tick.lineTo(base + QPointF(2.5, 2.5));
        tick.lineTo(base + QPointF(7, -2.5));
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(corvina::colorFromWin(lit ? c.HighlightText : c.MenuText), 2));
        p.drawPath(tick);
        p.restore();
    }

    const QRect textRect(r.left() + m.Left + m.Space, r.top(),
                         r.width() - m.Left - m.Space - m.Right, r.height());
    const QString text = action->text().section(QLatin1Char('\t'), 0, 0);
    const int flags = Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic | Qt::TextSingleLine;
    if (!enabled) {
        const QColor shadow = corvina::colorFromWin(c.DisabledShadow);
        if (shadow.isValid()) {
            p.setPen(shadow);
            p.drawText(textRect.translated(1, 1), flags, text);
        }
    }
    p.setPen(corvina::colorFromWin(!enabled ? c.DisabledText : lit ? c.HighlightText : c.MenuText));
    p.drawText(textRect, flags, text);

    if (action->menu()) {
        const int cx = r.right() - m.Right / 2;
        const int cy = r.top() + r.height() / 2;
        QPainterPath arrow;
        arrow.moveTo(cx - 2, cy - 4);
        arrow.lineTo(cx + 2, cy);
        arrow.lineTo(cx - 2, cy + 4);
        arrow.closeSubpath();
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(corvina::colorFromWin(!enabled ? c.DisabledText : lit ? c.HighlightText : c.MenuText));
        p.drawPath(arrow);
        p.restore();
    }
}

int T_AM2000_MenuWindow::opacity() const {
    return menu_->Options()->Opacity();
}

bool T_AM2000_MenuWindow::fades() const {
    switch (menu_->Options()->Animation) {
        case anFade: return true;
        case anDefault: return desktopAnimatesMenus();
        case anNone: return false;
    }
    return false;
}

void T_AM2000_MenuWindow::openEffects() {
    am2000::T_AM2000_Desktop& desktop = am2000::desktop();
    const QRect area = geometry();
    const int percent = opacity();
    fade_.stop();
    fadeFrames_ = 0;
    fallbackCounter_ = 0;
    opacityBackground_ = QImage();
    windowOpacityFallback_ = false;

    if (menu_->Options()->hasFlag(mfDropShadow)) desktop.prepare(area);
    if (percent < 100) {
        opacityBackground_ = desktop.capture(area);
        if (!opacityBackground_.isNull()) am2000::opacityTable().build(percent);
    }
    if (fades()) {
        const QImage background = desktop.capture(area);
        if (!background.isNull()) fade_.start(renderMenu(), background, percent);
    }
    // Without the screen beneath, the compositor blends instead (where there is one).
    if (!desktop.canCapture() && (percent < 100 || fades())) {
        windowOpacityFallback_ = true;
        fade_.stop();
        opacityBackground_ = QImage();
        fallbackCounter_ = fades() ? 1 : 0;
        setWindowOpacity(fades() ? 0.0 : percent / 100.0);
    }
}

void T_AM2000_MenuWindow::showShadow() {
    am2000::T_AM2000_Desktop& desktop = am2000::desktop();
    if (!menu_->Options()->hasFlag(mfDropShadow) || !desktop.canCapture()) {
        delete shadow_.data();
        return;
    }
    if (!shadow_) shadow_ = new am2000::T_AM2000_DropShadowForm();
    shadow_->place(geometry(), desktop);
    shadow_->show();
    // The shadow lies beneath the whole open chain: a submenu's shadow never darkens its parent.
    QList<T_AM2000_MenuWindow*> chain;
    for (T_AM2000_MenuWindow* w = parentWindow_; w; w = w->parentWindow_) chain.prepend(w);
    for (T_AM2000_MenuWindow* w : chain)
        if (w->isVisible()) w->raise();
}

void T_AM2000_MenuWindow::setVisible(bool visible) {
    if (visible == isVisible()) {
        QMenu::setVisible(visible);
        return;
    }
    if (!visible) {
        QMenu::setVisible(false);
        if (shown_) {
            shown_ = false;
            closeEffects();
        }
        return;
    }
    openEffects();
    showShadow();
    QMenu::setVisible(true);
    if (!isVisible()) {
        closeEffects();
        return;
    }
    shown_ = true;
    am2000::desktop().windowShown();
    corvina::sound::eventSound().play("menu-popup", "Menu popped up");
    if (fade_.running() || fallbackCounter_ > 0) postFrame(am2000::kFadeFrameMs);
    if (menu_->OnWindowShown) menu_->OnWindowShown(this);
}

void T_AM2000_MenuWindow::closeEffects() {
    if (shadow_) {
        shadow_->hide();
        delete shadow_.data();
    }
    fade_.stop();
    fallbackCounter_ = 0;
    opacityBackground_ = QImage();
    am2000::desktop().windowHidden();
}

void T_AM2000_MenuWindow::postFrame(qint64 delayMs) {
    QCoreApplication::postEvent(this, new FrameEvent(tickCount(), delayMs));
}

void T_AM2000_MenuWindow::runFadeFrame() {
    const qint64 start = tickCount();
    const int percent = opacity();
    if (fallbackCounter_ > 0) {
        if (fallbackCounter_ * 100 >= am2000::kFadeSteps * percent) {
            setWindowOpacity(percent / 100.0);
            fallbackCounter_ = 0;
            return;
        }
        setWindowOpacity(double(fallbackCounter_) / am2000::kFadeSteps);
        ++fallbackCounter_;
        ++fadeFrames_;
    } else {
        if (!fade_.step()) {
            update();
            return;
        }
        ++fadeFrames_;
        repaint();
    }
    postFrame(am2000::kFadeFrameMs - (tickCount() - start));
}

bool T_AM2000_MenuWindow::event(QEvent* event) {
    if (event->type() == FrameEvent::type()) {
        const auto* frame = static_cast<FrameEvent*>(event);
        const qint64 left = frame->delay - (tickCount() - frame->sent);
        // What is left of the frame's time passes on a timer rather than asleep, so that the
        // pointer and the keyboard stay live during the fade.
        if (left > 0 && left < 1000)
            QTimer::singleShot(int(left), Qt::PreciseTimer, this,
                               &T_AM2000_MenuWindow::runFadeFrame);
        else
            runFadeFrame();
        return true;
    }
    return QMenu::event(event);
}

void T_AM2000_MenuWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (fade_.running()) {
        painter.drawImage(0, 0, fade_.output());
    } else {
        QImage image = renderMenu();
        const int percent = opacity();
        if (percent < 100 && opacityBackground_.size() == image.size()) {
            am2000::T_AM2000_OpacityTable& table = am2000::opacityTable();
            table.build(percent);
            image = table.blend(image, opacityBackground_);
        }
        painter.drawImage(0, 0, image);
    }
    if (menu_->OnWindowPainted) menu_->OnWindowPainted(this);
}
