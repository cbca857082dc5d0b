// Opening the Preferences dialog.
#include "app/Main.h"

// Joins here: the Preferences dialog.
void TFormMain::MenuPreferencesClick(QObject*) {}
