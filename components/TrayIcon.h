#pragma once
// TTrayIcon: the player's icon in the desktop's notification area.
//
// The icon record goes to a TrayShell (the desktop's, unless a test installs another); the
// shell's mouse messages come back as the component's events. The component can open a popup menu
// at the pointer, cycle through the icons of an image list, and, with MinimizeToTray set, hide the
// owner window instead of leaving it minimised, so that only the icon stays.
//
// The owner window plays both parts the component watches: it is the window that owns the
// taskbar entry (minimising it minimises the application) and the window the menu belongs to.
//
// UI thread only. Events run through corvina::runHandler: a handler's error is reported there.
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

#include "components/GraphicControl.h"
#include "components/ImageList.h"
#include "menu/Menu2000.h"
#include "platform/tray/TrayShell.h"

class QWidget;

using TCycleEvent = std::function<void(QObject* sender, int NextIndex)>;

class TTrayIcon : public QObject {
    Q_OBJECT
public:
    // `owner` must be a window (a QWidget) or null; anything else is refused with an error.
    // `shell` null: the shell the factory makes (the desktop's notification area by default).
    explicit TTrayIcon(QObject* owner, std::unique_ptr<corvina::TrayShell> shell = nullptr);
    ~TTrayIcon() override;

    // Makes the shell of every component created from now on; returns the previous factory.
    using ShellFactory = std::function<std::unique_ptr<corvina::TrayShell>()>;
    static ShellFactory setShellFactory(ShellFactory factory);

    // Call once the stored properties are set: adds the icon (or not, after IconVisible).
    void Loaded();

    // Properties.
    bool DesignPreview() const { return designPreview_; }
    void setDesignPreview(bool on) { designPreview_ = on; }
    TImageList* IconList() const { return iconList_; }
    void setIconList(TImageList* list);
    bool CycleIcons() const { return cycleIcons_; }
    void setCycleIcons(bool on);
    quint32 CycleInterval() const { return cycleInterval_; }
    void setCycleInterval(quint32 ms);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on) { enabled_ = on; }
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool on);
    QIcon Icon() const { return icon_; }
    void setIcon(const QIcon& icon);
    bool IconVisible() const { return iconVisible_; }
    void setIconVisible(bool visible);
    int IconIndex() const { return iconIndex_; }
    void setIconIndex(int index);
    TPopupMenu2000* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(TPopupMenu2000* menu) { popupMenu_ = menu; }
    bool LeftPopup() const { return leftPopup_; }
    void setLeftPopup(bool on) { leftPopup_ = on; }
    bool StartMinimized() const { return startMinimized_; }
    void setStartMinimized(bool on) { startMinimized_ = on; }
    // When set, the application is hidden to the notification area instead of being minimised;
    // the main window's view handlers read and clear it.
    bool MinimizeToTray() const { return minimizeToTray_; }
    void setMinimizeToTray(bool on);

    // Events.
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCycleEvent OnCycle;
    // Raised when the notification area goes away (its host ended) while MinimizeToTray is set:
    // the owner would otherwise stay hidden with no icon to bring it back.
    TNotifyEvent OnTrayLost;

    // The shell operations; each returns whether the shell accepted the record.
    virtual bool ShowIcon();
    virtual bool HideIcon();
    virtual bool ModifyIcon();

    // Whether the desktop has a notification area right now.
    bool TrayAvailable() const { return shell_->available(); }
    const corvina::NotifyIconRecord& Record() const { return record_; }

    // One tick of the cycle timer (public so that a test can step it).
    void CycleTick();

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void Cycle(int nextIndex);
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    virtual void DoMinimizeToTray();

    // The owner's events: minimising (with MinimizeToTray) hides it; showing it brings it forward.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void mouseMessage(int message);
    void popupAtPointer();
    void prepareRecord();
    bool notify(corvina::NotifyMessage message);

    std::unique_ptr<corvina::TrayShell> shell_;
    QPointer<QWidget> owner_;
    corvina::NotifyIconRecord record_;
    QTimer cycleTimer_;
    QTimer watchTimer_;

    bool designPreview_ = false;
    QPointer<TImageList> iconList_;
    bool cycleIcons_ = false;
    quint32 cycleInterval_ = 0;
    bool enabled_ = true;
    QString hint_;
    bool showHint_ = false;
    QIcon icon_;
    bool iconVisible_ = true;
    int iconIndex_ = 0;
    QPointer<TPopupMenu2000> popupMenu_;
    bool leftPopup_ = false;
    bool startMinimized_ = false;
    bool minimizeToTray_ = false;
    bool clickStarted_ = false;
};
