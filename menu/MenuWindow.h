#pragma once
// T_AM2000_MenuWindow: one menu window (the popup or one of its submenus), a QMenu laid out and
// drawn with the owner's options (colours, margins, title strip, item pictures, check marks) and
// shown with its effects: the fade-in over the screen beneath, the translucency through the
// opacity table, the drop shadow and the desktop's "menu-popup" sound.
//
// QMenu keeps what users expect of a menu: submenus open on hover and with the arrow keys, Esc
// closes one level, accelerators, and the accessibility interface of menus and their items.
//
// The fade is paced by a posted frame message (tick count, delay): each frame waits for what is
// left of the delay, adds one step, paints, and posts the next. Where the platform refuses screen
// captures, translucency and the fade fall back to the compositor's window opacity.
//
// UI thread only.
#include <QHash>
#include <QImage>
#include <QMenu>
#include <QPointer>

#include "menu/DropShadow.h"
#include "menu/Effects.h"

class TMenuItem2000;
class TPopupMenu2000;

class T_AM2000_MenuWindow : public QMenu {
    Q_OBJECT
public:
    // A window for `menu`'s options; `parentWindow` is the window whose item opens this one (null
    // for the popup itself).
    T_AM2000_MenuWindow(TPopupMenu2000* menu, T_AM2000_MenuWindow* parentWindow);
    ~T_AM2000_MenuWindow() override;

    // Adds one entry per visible item of `parent` (submenus as windows of their own).
    void build(const TMenuItem2000& parent);
    // The item an entry stands for.
    static TMenuItem2000* itemOf(const QAction* action);
    QAction* actionOf(const TMenuItem2000* item) const;
    T_AM2000_MenuWindow* parentWindow() const { return parentWindow_; }
    T_AM2000_MenuWindow* outermost();

    // The window as drawn, without effects (the current highlight included).
    QImage renderMenu();

    // Effects state, for tests and benchmarks.
    const am2000::T_AM2000_Fade& fade() const { return fade_; }
    int fadeFrames() const { return fadeFrames_; }
    bool usesWindowOpacity() const { return windowOpacityFallback_; }
    const QImage& opacityBackground() const { return opacityBackground_; }
    am2000::T_AM2000_DropShadowForm* shadow() const { return shadow_; }
    // Runs the next fade frame at once (what the frame message does when its time has come).
    void runFadeFrame();

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void openEffects();
    void showShadow();
    void closeEffects();
    void postFrame(qint64 delayMs);
    int opacity() const;
    bool fades() const;
    void drawItem(QPainter& painter, QAction* action, const QRect& rect);

    TPopupMenu2000* menu_;
    T_AM2000_MenuWindow* parentWindow_;
    QHash<const QAction*, QImage> pictures_;  // keyed out once per build
    am2000::T_AM2000_Fade fade_;
    QImage opacityBackground_;
    QPointer<am2000::T_AM2000_DropShadowForm> shadow_;
    bool windowOpacityFallback_ = false;
    int fadeFrames_ = 0;
    int fallbackCounter_ = 0;
    bool shown_ = false;
};
