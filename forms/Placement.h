#pragma once
// Placing a dialog in the middle of a screen as the user sees it: the whole window, with the
// frame and title bar the window manager gives it, centred.
//
// The dialog is placed when it is first shown, by its size then (a dialog may still grow while
// it is filled in) and the frame the window manager says it will give it. Where the frame
// cannot be known in advance, the dialog is centred by its own size.
//
// UI thread only. Call before the dialog is shown.
class QScreen;
class QWidget;

namespace corvina {

void centreOnScreen(QWidget* dialog, const QScreen* screen);

}  // namespace corvina
