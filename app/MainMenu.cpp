// The main popup menu: its items, their handlers and its looks.
#include "app/Main.h"
#include "app/Picture.h"
#include "components/Colors.h"
#include "menu/Menu2000.h"
#include "platform/Fonts.h"
#include "resources/Skin.h"

namespace {

constexpr quint32 kRed = 3355647;  // RGB 255,51,51
constexpr quint32 kGray = 0x808080;

}  // namespace

void TFormMain::createMenuMain() {
    MenuMain = new TPopupMenu2000(this);
    MenuMain->setObjectName(QStringLiteral("MenuMain"));

    using Handler = void (TFormMain::*)(QObject*);
    // One item under `parent`: its picture is the skin's picture of the same name (none for a
    // separator); `handler` runs on a click (none for a submenu or a separator).
    auto item = [this](TMenuItem2000* parent, TMenuItem2000*& field, const char* name,
                       const char* caption, Handler handler = nullptr) {
        field = new TMenuItem2000(parent);
        field->setObjectName(QLatin1String(name));
        field->Caption = QString::fromUtf8(caption);
        if (!field->isSeparator()) field->Bitmap = skin::picture(QLatin1String(name));
        if (handler) field->OnClick = [this, handler](QObject* sender) { (this->*handler)(sender); };
        parent->Items.push_back(field);
        return field;
    };
    TMenuItem2000* top = MenuMain->Items();
    item(top, MenuViewModes, "MenuViewModes", "视图");
    item(MenuViewModes, MenuFull, "MenuFull", "完整", &TFormMain::MenuFullClick);
    item(MenuViewModes, MenuPortivo, "MenuPortivo", "随身听", &TFormMain::MenuPortivoClick);
    item(top, MenuN1, "MenuN1", "-");
    item(top, MenuMinimize, "MenuMinimize", "最小化", &TFormMain::MenuMinimizeClick);
    item(top, MenuTray, "MenuTray", "最小化至系统托盘", &TFormMain::MenuTrayClick);
    item(top, MenuN2, "MenuN2", "-");
    item(top, MenuPlayback, "MenuPlayback", "播放控制");
    item(MenuPlayback, MenuPlay, "MenuPlay", "播放", &TFormMain::CDPlay);
    item(MenuPlayback, MenuPause, "MenuPause", "暂停", &TFormMain::CDPause);
    item(MenuPlayback, MenuStop, "MenuStop", "停止", &TFormMain::CDStop);
    item(MenuPlayback, MenuEject, "MenuEject", "弹出 / 插入唱片", &TFormMain::CDEject);
    item(MenuPlayback, MenuN3, "MenuN3", "-");
    item(MenuPlayback, MenuRewind, "MenuRewind", "后退", &TFormMain::CDRewind);
    item(MenuPlayback, MenuForward, "MenuForward", "前进", &TFormMain::CDForward);
    item(MenuPlayback, MenuPrevious, "MenuPrevious", "上一曲目", &TFormMain::CDPrevious);
    item(MenuPlayback, MenuNext, "MenuNext", "下一曲目", &TFormMain::CDNext);
    item(top, MenuTracks, "MenuTracks", "播放列表...", &TFormMain::MenuTracksClick);
    item(top, MenuSound, "MenuSound", "声道");
    item(MenuSound, MenuLeftChannel, "MenuLeftChannel", "左声道", &TFormMain::MenuSoundLeftClick);
    item(MenuSound, MenuRightChannel, "MenuRightChannel", "右声道",
         &TFormMain::MenuSoundRightClick);
    item(MenuSound, MenuAllChannels, "MenuAllChannels", "全部声道",
         &TFormMain::MenuSoundAllClick);
    item(MenuSound, MenuN4, "MenuN4", "-");
    item(MenuSound, MenuAllMute, "MenuAllMute", "全部静音", &TFormMain::MenuSoundMuteClick);
    item(top, MenuPreferences, "MenuPreferences", "设置...", &TFormMain::MenuPreferencesClick);
    item(top, MenuN5, "MenuN5", "-");
    item(top, MenuHelp, "MenuHelp", "帮助");
    item(MenuHelp, MenuManual, "MenuManual", "使用手册", &TFormMain::MenuManualClick);
    item(MenuHelp, MenuAbout, "MenuAbout", "关于", &TFormMain::MenuAboutClick);
    item(top, MenuProducts, "MenuProducts", "Velmaro其他产品");
    item(MenuProducts, MenuRestorix, "MenuRestorix", "Restorix", &TFormMain::MenuRestorixClick);
    item(MenuProducts, MenuTextoria, "MenuTextoria", "Textoria", &TFormMain::MenuTextoriaClick);
    item(top, MenuExit, "MenuExit", "退出", &TFormMain::MenuExitClick);
    MenuAllChannels->Checked = true;

    // Looks: the player's red and white, the 12-pixel Song face, a red strip down the left edge.
    MenuMain->AutoHotkeys = false;
    MenuMain->AutoLineReduction = false;
    MenuMain->ShowHint = false;
    MenuMain->Font = corvina::windowsFont(QStringLiteral("宋体"), -12);
    MenuMain->SystemFont = false;
    MenuMain->Ctl3D = false;
    T_AM2000_MenuOptions* options = MenuMain->Options();
    T_AM2000_Colors& colors = options->Colors;
    colors.Border = clWhite;
    colors.Bevel = kRed;
    colors.BevelShadow = kRed;
    colors.Menu = clWhite;
    colors.MenuText = clBlack;
    colors.Highlight = kRed;
    colors.HighlightText = clWhite;
    colors.DisabledText = kGray;
    colors.DisabledShadow = clNone;
    colors.Line = kGray;
    colors.LineShadow = clNone;
    colors.Frame = clWhite;
    colors.FrameShadow = kGray;
    colors.SunkenText = clBlack;
    options->Margins.Border = 0;
    options->Margins.Bevel = 1;
    options->Title.Visible = true;
    options->Title.Width = 5;
    options->Title.ColorBegin = clNone;
    options->Title.ColorEnd = clNone;
    options->Title.Align = atLeft;
    options->Title.Bitmap = skin::picture(QStringLiteral("MenuTitle"));
    options->Flags = mfDropShadow | mfNoBitmapRect;
    options->Animation = anFade;

    // The pictures' right button opens the menu where it is released.
    ImageBack->PopupMenu = MenuMain;
    ImagePortivo->PopupMenu = MenuMain;
}

void TFormMain::SetMenuOpacity(int percent) {
    MenuMain->Options()->setOpacity(percent);
}
