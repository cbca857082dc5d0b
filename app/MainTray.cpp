// Hiding the player to the notification area and bringing it back.
#include "app/Main.h"

// Joins here: the notification-area icon.
void TFormMain::createTrayIcon() {}
void TFormMain::EnableTrayIcon() {}
void TFormMain::MenuTrayClick(QObject*) {}
void TFormMain::TrayIconClick(QObject*) {}
