#pragma once
// Bringing a hidden top-level window back on screen in its normal state.
//
// On X11 a window carries the state the window manager gives it when it is mapped (the initial
// state of its WM_HINTS). The toolkit sets it to "iconic" when it minimises the window and
// clears it only when it un-minimises the window itself; a window that the window manager
// restored (from the taskbar, say) keeps "iconic". Hidden and shown again, it would come back
// minimised. `prepareToShowNormal` makes the next map of `window` a normal one: call it on the
// hidden window just before showing it.
//
// UI thread only. Does nothing where the toolkit is not on X11, or for a window that was never
// created.
class QWidget;

namespace corvina::shell {

void prepareToShowNormal(QWidget* window);

}  // namespace corvina::shell
