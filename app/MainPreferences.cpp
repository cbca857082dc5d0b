// Opening the Preferences dialog, and the window settings it applies.
#include "app/Main.h"
#include "forms/Preferences.h"

namespace {
constexpr double kTranslucentAlpha = 220.0 / 255.0;
}

void TFormMain::MenuPreferencesClick(QObject*) {
    TFormPreferences form(this);
    form.exec();
}

void TFormMain::SetStayOnTop(bool on) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    // Changing the flag re-creates a shown window hidden; it comes back where it was.
    const bool shown = isVisible();
    const QPoint at = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        move(at);
        show();
    }
}

void TFormMain::SetTranslucent(bool on) {
    // Where no compositor runs, the window stays opaque; the setting still holds for later.
    setWindowOpacity(on ? kTranslucentAlpha : 1.0);
}
