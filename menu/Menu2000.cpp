#include "menu/Menu2000.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "components/Colors.h"
#include "menu/Desktop.h"
#include "menu/MenuWindow.h"
#include "platform/ErrorReport.h"

namespace {
// System colours of the menu's default look.
constexpr quint32 kMenuColor = 0x80000004;
constexpr quint32 kMenuTextColor = 0x80000007;
constexpr quint32 kHighlightColor = 0x8000000D;
constexpr quint32 kHighlightTextColor = 0x8000000E;
constexpr quint32 kGrayTextColor = 0x80000011;
}  // namespace

void TMenuItem2000::Add(TMenuItem2000* item) {
    item->setParent(this);
    Items.push_back(item);
}

void TMenuItem2000::Click() {
    if (OnClick) corvina::runHandler([this] { OnClick(this); });
}

T_AM2000_MenuOptions::T_AM2000_MenuOptions()
    : Colors{clBtnFace,      clBtnHighlight, clBtnShadow,    kMenuColor,   kMenuTextColor,
             kHighlightColor, kHighlightTextColor, kGrayTextColor, clBtnHighlight, clBtnShadow,
             clBtnHighlight, clBtnHighlight, clBtnShadow,    kMenuTextColor} {
    Title.ColorBegin = clNone;
    Title.ColorEnd = clNone;
}

TPopupMenu2000::TPopupMenu2000(QObject* owner) : QObject(owner) {}

TPopupMenu2000::~TPopupMenu2000() = default;

void TPopupMenu2000::Popup(int x, int y) {
    if (open_) return;
    TMenuItem2000* chosen = nullptr;
    {
        T_AM2000_MenuWindow window(this, nullptr);
        window.setObjectName(objectName());
        window.build(items_);
        open_ = &window;
        QPointer<TPopupMenu2000> self(this);
        QAction* action = window.exec(QPoint(x, y));
        if (!self) return;
        open_ = nullptr;
        chosen = T_AM2000_MenuWindow::itemOf(action);
    }
    am2000::desktop().release();
    // The menu is gone from the screen before the chosen command runs.
    if (chosen) chosen->Click();
}
