#include "components/TrayIcon.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <climits>

#include "platform/ErrorReport.h"

namespace {

// While the owner is hidden in the notification area, how often the component checks that the
// area is still there.
constexpr int kWatchIntervalMs = 2000;

TTrayIcon::ShellFactory& shellFactory() {
    static TTrayIcon::ShellFactory factory = corvina::createQtTrayShell;
    return factory;
}

}  // namespace

TTrayIcon::ShellFactory TTrayIcon::setShellFactory(ShellFactory factory) {
    ShellFactory previous = std::move(shellFactory());
    shellFactory() = factory ? std::move(factory) : ShellFactory(corvina::createQtTrayShell);
    return previous;
}

TTrayIcon::TTrayIcon(QObject* owner, std::unique_ptr<corvina::TrayShell> shell)
    : QObject(owner), shell_(shell ? std::move(shell) : shellFactory()()) {
    if (owner && !owner->isWidgetType())
        throw corvina::Error(QStringLiteral("Invalid class typecast"));
    owner_ = static_cast<QWidget*>(owner);
    shell_->onMouseMessage = [this](int message) {
        corvina::runHandler([&] { mouseMessage(message); });
    };
    cycleTimer_.setInterval(int(cycleInterval_));
    connect(&cycleTimer_, &QTimer::timeout, this,
            [this] { corvina::runHandler([this] { CycleTick(); }); });
    watchTimer_.setInterval(kWatchIntervalMs);
    connect(&watchTimer_, &QTimer::timeout, this, [this] {
        if (!minimizeToTray_ || shell_->available()) return;
        watchTimer_.stop();
        if (OnTrayLost) corvina::runHandler([this] { OnTrayLost(this); });
    });
    // Filters die with their object, so the destructor need not take this one back.
    if (owner_) owner_->installEventFilter(this);
}

TTrayIcon::~TTrayIcon() {
    setIconVisible(false);
}

void TTrayIcon::Loaded() {
    if (startMinimized_ && owner_) owner_->hide();
    ModifyIcon();
    setIconVisible(iconVisible_);
}

void TTrayIcon::setIconList(TImageList* list) {
    iconList_ = list;
    setIconIndex(0);
}

void TTrayIcon::setCycleIcons(bool on) {
    cycleIcons_ = on;
    if (on) setIconIndex(0);
    // An interval of 0 never fires, as a stopped timer: cycling needs an interval.
    if (on && cycleInterval_ > 0)
        cycleTimer_.start();
    else
        cycleTimer_.stop();
}

void TTrayIcon::setCycleInterval(quint32 ms) {
    cycleInterval_ = ms;
    cycleTimer_.setInterval(int(std::min<quint32>(ms, INT_MAX)));
    if (cycleIcons_ && ms > 0 && !cycleTimer_.isActive()) cycleTimer_.start();
    if (ms == 0) cycleTimer_.stop();
}

void TTrayIcon::setHint(const QString& hint) {
    hint_ = hint;
    ModifyIcon();
}

void TTrayIcon::setShowHint(bool on) {
    showHint_ = on;
    ModifyIcon();
}

void TTrayIcon::setIcon(const QIcon& icon) {
    icon_ = icon;
    ModifyIcon();
}

void TTrayIcon::setIconVisible(bool visible) {
    if (visible)
        ShowIcon();
    else
        HideIcon();
}

void TTrayIcon::setIconIndex(int index) {
    if (iconList_) {
        if (index >= iconList_->Count()) index = iconList_->Count() - 1;
        // An empty list has no last icon: index 0, and the icon stays as it is.
        iconIndex_ = std::max(index, 0);
        if (iconIndex_ < iconList_->Count()) icon_ = iconList_->GetIcon(iconIndex_);
    } else {
        iconIndex_ = 0;
    }
    ModifyIcon();
}

void TTrayIcon::setMinimizeToTray(bool on) {
    minimizeToTray_ = on;
    if (on)
        watchTimer_.start();
    else
        watchTimer_.stop();
}

bool TTrayIcon::ShowIcon() {
    iconVisible_ = true;
    return notify(corvina::NotifyMessage::Add);
}

bool TTrayIcon::HideIcon() {
    iconVisible_ = false;
    return notify(corvina::NotifyMessage::Delete);
}

bool TTrayIcon::ModifyIcon() {
    return notify(corvina::NotifyMessage::Modify);
}

void TTrayIcon::prepareRecord() {
    record_.icon = icon_;
    record_.tip = corvina::makeTip(hint_, showHint_);
}

bool TTrayIcon::notify(corvina::NotifyMessage message) {
    prepareRecord();
    return shell_->notifyIcon(message, record_);
}

void TTrayIcon::CycleTick() {
    if (!iconList_) return;
    const int last = iconList_->Count() - 1;
    icon_ = iconList_->GetIcon(iconIndex_);
    Cycle(iconIndex_ >= last ? 0 : iconIndex_ + 1);
    ModifyIcon();
    iconIndex_ = iconIndex_ >= last ? 0 : iconIndex_ + 1;
}

void TTrayIcon::mouseMessage(int message) {
    using namespace corvina::trayMouse;
    if (!enabled_) return;
    const Qt::KeyboardModifiers shift = shell_->keyboardModifiers();
    QPoint at;
    shell_->cursorPos(at);
    switch (message) {
        case Move:
            MouseMove(shift, at.x(), at.y());
            break;
        case LeftDown:
            MouseDown(Qt::LeftButton, shift, at.x(), at.y());
            clickStarted_ = true;
            if (leftPopup_) popupAtPointer();
            break;
        case LeftUp:
            if (clickStarted_) {
                clickStarted_ = false;
                Click();
            }
            MouseUp(Qt::LeftButton, shift, at.x(), at.y());
            break;
        case LeftDoubleClick:
            DblClick();
            if (popupMenu_ && popupMenu_->AutoPopup && !leftPopup_) {
                for (TMenuItem2000* item : popupMenu_->Items()->Items) {
                    if (!item->Default) continue;
                    if (item->OnClick) item->OnClick(item);
                    break;
                }
            }
            break;
        case RightDown:
            MouseDown(Qt::RightButton, shift, at.x(), at.y());
            popupAtPointer();
            break;
        case RightUp:
            MouseUp(Qt::RightButton, shift, at.x(), at.y());
            break;
        case MiddleDown:
            MouseDown(Qt::MiddleButton, shift, at.x(), at.y());
            break;
        case MiddleUp:
            MouseUp(Qt::MiddleButton, shift, at.x(), at.y());
            break;
        default:
            break;
    }
}

void TTrayIcon::popupAtPointer() {
    QPoint at;
    if (!popupMenu_ || !popupMenu_->AutoPopup || !shell_->cursorPos(at)) return;
    QCoreApplication::processEvents();
    // The menu takes the keyboard from the window that has the focus, so that window comes
    // forward first; otherwise the menu could not be closed with Esc or a click elsewhere.
    if (QWidget* focus = QApplication::focusWidget()) shell_->setForegroundWindow(focus->window());
    if (!popupMenu_) return;  // destroyed while the waiting messages ran
    popupMenu_->PopupComponent = this;
    popupMenu_->Popup(at.x(), at.y());
}

void TTrayIcon::DoMinimizeToTray() {
    if (owner_) owner_->hide();
    setIconVisible(true);
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == owner_) {
        if (event->type() == QEvent::WindowStateChange) {
            const auto* change = static_cast<QWindowStateChangeEvent*>(event);
            const bool wasMinimized = change->oldState() & Qt::WindowMinimized;
            // Hidden once the minimise is complete: a window minimised by the program is shown
            // (minimised) right after this event, which would undo a hide made now.
            if (!wasMinimized && owner_->isMinimized() && minimizeToTray_) {
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        if (minimizeToTray_ && owner_ && owner_->isMinimized())
                            corvina::runHandler([this] { DoMinimizeToTray(); });
                    },
                    Qt::QueuedConnection);
            }
        } else if (event->type() == QEvent::Show && !event->spontaneous() &&
                   !owner_->isMinimized()) {
            // Shown on request (from the icon, a later start): in front and active, not behind
            // whatever the user worked in meanwhile. Once the show is done: raised while it is
            // still being mapped, the window manager may not know where the window is yet.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (owner_ && owner_->isVisible()) {
                        owner_->raise();
                        owner_->activateWindow();
                    }
                },
                Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

void TTrayIcon::Click() {
    if (OnClick) OnClick(this);
}
void TTrayIcon::DblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TTrayIcon::Cycle(int nextIndex) {
    if (OnCycle) OnCycle(this, nextIndex);
}
void TTrayIcon::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}
void TTrayIcon::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}
void TTrayIcon::MouseMove(Qt::KeyboardModifiers shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}
