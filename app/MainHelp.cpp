// The hint balloon, the splash, the About box, the manual and the companion programs.
#include "app/Main.h"

// Joins here: the hint balloon (application-wide), the splash window, the About box, the
// manual and the companion launchers.
void TFormMain::createFlatHint() {}
void TFormMain::ShowSplash() {}
void TFormMain::MenuManualClick(QObject*) {}
void TFormMain::MenuAboutClick(QObject*) {}
void TFormMain::MenuRestorixClick(QObject*) {}
void TFormMain::MenuTextoriaClick(QObject*) {}
