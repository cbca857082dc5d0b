#pragma once
// Start-up calls into parts of the player that are not in place yet. Each is a no-op (or a
// neutral answer) until the part named in its comment replaces it.
class TFormMain;

namespace standins {

// Joins here: the splash window, shown modally until it closes.
void showSplash(TFormMain* owner);

// Joins here: the main popup menu's opacity option (percent).
void setMenuOpacity(TFormMain* form, int percent);

// Joins here: the mixer's left-channel volume (destination 0, connection 5) into the volume bar.
void loadVolumeBar(TFormMain* form);

// Joins here: the notification-area icon, switched on.
void enableTrayIcon(TFormMain* form);

// Joins here: the screen-edge snapping of the main window.
void attachScreenSnap(TFormMain* form);

}  // namespace standins
