// The main popup menu: its items, their handlers and its looks.
#include "app/Main.h"
#include "menu/Menu2000.h"

// Joins here: the menu's items and appearance.
void TFormMain::createMenuMain() {
    MenuMain = new TPopupMenu2000(this);
    MenuMain->setObjectName(QStringLiteral("MenuMain"));
}

void TFormMain::SetMenuOpacity(int percent) {
    MenuMain->Options()->setOpacity(percent);
}
