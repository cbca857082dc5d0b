// The main window's creation, start-up and exit.
#include "app/Main.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QPainter>
#include <QPainterPath>

#include "app/Picture.h"
#include "components/Colors.h"
#include "components/LCD.h"
#include "components/ScrollingText.h"
#include "components/SuperButton.h"
#include "components/TrayIcon.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/registry/DriveList.h"
#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"
#include "platform/shell/RoundRectRegion.h"
#include "resources/Skin.h"

TFormMain* FormMain = nullptr;

namespace {

const QString kTitle = QStringLiteral("Corvina CD 播放器");
const QString kInstallKey = QStringLiteral("Software\\Velmaro\\Corvina");
const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");
constexpr quint32 kFormColor = 8421631;        // RGB 255,128,128
constexpr quint32 kScrollTextColor = 7961087;  // RGB 255,121,121
constexpr int kCornerEllipse = 18;
constexpr int kTimerInterval = 1000;

QFont windowsFont(const char* face) {
    return corvina::windowsFont(QString::fromUtf8(face), -12);
}

// Tool tips break lines at LF; the player's hint texts use CR.
QString tipText(const QString& hint) {
    return QString(hint).replace(QLatin1Char('\r'), '\n');
}

TImage* makeImage(QWidget* parent, const char* name, QRect geometry, bool visible = true) {
    auto* image = new TImage(parent);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(geometry);
    image->setPicture(skin::picture(QLatin1String(name)));
    if (!visible) image->hide();
    return image;
}

TLabel* makeLabel(QWidget* parent, const char* name, QRect geometry, const QString& caption,
                  const QString& hint, const char* face, quint32 color) {
    auto* label = new TLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(windowsFont(face));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, corvina::colorFromWin(color));
    label->setPalette(palette);
    label->setGeometry(geometry);
    label->setCaption(caption);
    label->setToolTip(tipText(hint));
    return label;
}

TLCD* makeLcd(QWidget* parent, const char* name, QPoint at) {
    auto* lcd = new TLCD(parent);
    lcd->setObjectName(QLatin1String(name));
    lcd->setGeometry(QRect(at, QSize(24, 17)));
    lcd->setLength(2);
    lcd->setDigits(skin::picture(QStringLiteral("LCDDigits")));
    lcd->setColor(PaletteRelativeFlag);
    return lcd;
}

using corvina::registry::RegValue;

// Values set under `key` of `root`, the key made where missing, in one write of the store:
// every write replaces the file and syncs it to disk, and the steps one by one (open with create,
// then each value) were most of a first start's time. Unchanged, nothing is written.
bool writeValues(corvina::RootKey root, const QString& key,
                 const std::vector<std::pair<QString, RegValue>>& values) {
    return corvina::registry::updateTree(root, [&](corvina::registry::RegKey& tree) {
        corvina::registry::RegKey& at = tree.addPath(key.split(QLatin1Char('\\')));
        for (const auto& [name, value] : values) at.setValue(name, value);
        return true;
    });
}

// A first start's settings key with its ten defaults.
bool writeFirstSettings() {
    const std::pair<const char*, bool> defaults[] = {
        {"ShowSplash", true},  {"MinimizeAtStartup", false}, {"CloseAtStartup", true},
        {"CloseOnExit", true}, {"EjectOnExit", true},        {"StopOnExit", true},
        {"AlwaysOnTop", true}, {"Translucent", false},       {"TranslucentMenu", true},
        {"OnlineLookup", true}};
    std::vector<std::pair<QString, RegValue>> values;
    for (const auto& [name, value] : defaults)
        values.push_back(
            {QLatin1String(name), {RegValue::Type::Dword, value ? 1u : 0u, QString()}});
    return writeValues(corvina::RootKey::CurrentUser, kSettingsKey, values);
}

}  // namespace

TFormMain::TFormMain(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint) {
    FormMain = this;
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(kTitle);
    setGeometry(200, 109, 460, 153);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, corvina::colorFromWin(kFormColor));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(windowsFont("宋体"));
    setAcceptDrops(true);  // rips dropped on the window go into the virtual drive (MainDrop.cpp)

    createComponents();
    corvina::runHandler([this] { FormCreate(this); });
}

TFormMain::~TFormMain() {
    if (FormMain == this) FormMain = nullptr;
}

void TFormMain::createComponents() {
    TimerCD = new QTimer(this);
    TimerCD->setObjectName(QStringLiteral("TimerCD"));
    TimerCD->setInterval(kTimerInterval);
    connect(TimerCD, &QTimer::timeout, this, &TFormMain::onTimer);
    TimerCD->start();

    const auto formMove = [this](QObject* sender, Qt::MouseButton button,
                                 Qt::KeyboardModifiers shift, int x,
                                 int y) { FormMove(sender, button, shift, x, y); };

    MenuIcon = makeImage(this, "MenuIcon", {6, 6, 16, 16});
    MenuIcon->setPicture({});  // a hot spot over the menu symbol of the background
    MenuIcon->setCursor(Qt::PointingHandCursor);
    MenuIcon->setToolTip(QStringLiteral(" 菜单 "));
    MenuIcon->OnClick = [this](QObject* sender) { MenuPopup(sender); };

    IconPlaying = makeImage(this, "IconPlaying", {32, 10, 8, 7}, false);
    IconPaused = makeImage(this, "IconPaused", {32, 10, 8, 7}, false);
    IconStopped = makeImage(this, "IconStopped", {32, 10, 8, 7}, false);
    for (TImage* icon : {IconPlaying, IconPaused, IconStopped}) icon->OnMouseDown = formMove;

    IconDisc = makeImage(this, "IconDisc", {32, 27, 8, 6}, false);
    IconDisc->setCursor(Qt::PointingHandCursor);
    IconDisc->setToolTip(QStringLiteral(" 设置 "));
    IconDisc->OnClick = [this](QObject* sender) { MenuPreferencesClick(sender); };

    IconMuteTrue = makeImage(this, "IconMuteTrue", {122, 29, 10, 5}, false);
    IconMuteTrue->setCursor(Qt::PointingHandCursor);
    IconMuteTrue->setToolTip(QStringLiteral(" 静音：开 "));
    IconMuteTrue->OnClick = [this](QObject* sender) { MuteTrue(sender); };
    IconMuteFalse = makeImage(this, "IconMuteFalse", {122, 29, 10, 5});
    IconMuteFalse->setCursor(Qt::PointingHandCursor);
    IconMuteFalse->setToolTip(QStringLiteral(" 静音：关 "));
    IconMuteFalse->OnClick = [this](QObject* sender) { MuteFalse(sender); };

    createPortivo();

    ScrollText = new TScrollingText(this);
    ScrollText->setObjectName(QStringLiteral("ScrollText"));
    ScrollText->setGeometry(144, 6, 177, 12);
    ScrollText->setCursor(Qt::PointingHandCursor);
    ScrollText->setText(QStringLiteral("Tracks"));
    ScrollText->setBackgroundColor(clBlack);
    ScrollText->setTextDirection(tdRightToLeft);
    ScrollText->setFont(windowsFont("宋体"));
    ScrollText->setFontColor(kScrollTextColor);
    ScrollText->setEnabled(false);  // switched on at the end of start-up
    ScrollText->OnClick = [this](QObject* sender) { MenuTracksClick(sender); };
    ScrollText->Loaded();

    const quint32 maroon = clMaroon;
    LabelStatus = makeLabel(this, "LabelStatus", {30, 46, 24, 12}, QStringLiteral("无碟"),
                            QStringLiteral(" 状态 "), "宋体", maroon);
    LabelTime = makeLabel(this, "LabelTime", {165, 44, 59, 13}, QStringLiteral("00:00/00:00"),
                          QStringLiteral(" 当前音轨总时间 / 整碟总时间 "), "MS Sans Serif", maroon);
    LabelTrack = makeLabel(this, "LabelTrack", {271, 44, 29, 13}, QStringLiteral("00/00"),
                           QStringLiteral(" 当前音轨 / 全部音轨 "), "MS Sans Serif", maroon);
    createFlatHint();
    LabelVersion = makeLabel(this, "LabelVersion", {334, 44, 34, 13}, QStringLiteral("Ver 4.3"),
                             QStringLiteral("Corvina CD 播放器 XP 4.3\r使用 4.0 版本播放引擎"),
                             "MS Sans Serif", maroon);
    LabelSysTime = makeLabel(this, "LabelSysTime", {386, 44, 65, 13}, QString(),
                             QStringLiteral(" 系统时间 "), "MS Sans Serif", clRed);
    LabelSysTime->setAutoSize(false);
    LabelSysTime->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LabelSysTime->setCaption(QStringLiteral("00:00:00"));
    for (TLabel* label : {LabelStatus, LabelTime, LabelTrack, LabelVersion, LabelSysTime})
        label->OnMouseDown = formMove;

    LCDTrack = makeLcd(this, "LCDTrack", {49, 8});
    LCDTime1 = makeLcd(this, "LCDTime1", {81, 8});
    LCDTime2 = makeLcd(this, "LCDTime2", {110, 8});

    CorvinaPlay = makeButton(this, "CorvinaPlay", {151, 22, 19, 19}, QStringLiteral(" 播放 "),
                             &TFormMain::CDPlay);
    CorvinaPause = makeButton(this, "CorvinaPause", {178, 22, 19, 19}, QStringLiteral(" 暂停 "),
                              &TFormMain::CDPause);
    CorvinaStop = makeButton(this, "CorvinaStop", {207, 22, 19, 19}, QStringLiteral(" 停止 "),
                             &TFormMain::CDStop);
    CorvinaPrevious = makeButton(this, "CorvinaPrevious", {236, 22, 22, 19},
                                 QStringLiteral(" 上一曲目 "), &TFormMain::CDPrevious);
    CorvinaNext = makeButton(this, "CorvinaNext", {326, 22, 22, 19}, QStringLiteral(" 下一曲目 "),
                             &TFormMain::CDNext);
    CorvinaEject = makeButton(this, "CorvinaEject", {358, 22, 19, 19},
                              QStringLiteral(" 弹出 / 插入唱片 "), &TFormMain::CDEject);
    CorvinaRewind = makeButton(this, "CorvinaRewind", {268, 22, 19, 19}, QStringLiteral(" 后退 "),
                               &TFormMain::CDRewind);
    CorvinaForward = makeButton(this, "CorvinaForward", {297, 22, 19, 19}, QStringLiteral(" 前进 "),
                                &TFormMain::CDForward);
    CorvinaClose = makeButton(this, "CorvinaClose", {440, 0, 16, 16}, QStringLiteral(" 退出 "),
                              &TFormMain::MenuExitClick);
    CorvinaMinimize = makeButton(this, "CorvinaMinimize", {427, 2, 14, 12},
                                 QStringLiteral(" 最小化 "), &TFormMain::MenuMinimizeClick);
    CorvinaSysTray = makeButton(this, "CorvinaSysTray", {440, 15, 16, 16},
                                QStringLiteral(" 最小化至系统托盘 "), &TFormMain::MenuTrayClick);
    CorvinaPortivo = makeButton(this, "CorvinaPortivo", {414, 2, 14, 12},
                                QStringLiteral(" 随身听视图 "), &TFormMain::MenuPortivoClick);

    createAudioMixer();
    createVolumeBar();
    createTrayIcon();

    // The background lies beneath everything; the compact view's panel above everything.
    ImageBack = makeImage(this, "ImageBack", {0, 0, 460, 64});
    ImageBack->setAutoSize(true);
    ImageBack->OnDblClick = [this](QObject* sender) { MenuPortivoClick(sender); };
    ImageBack->OnMouseDown = formMove;
    ImageBack->lower();
    Portivo->raise();

    createScreenSnap();
    createMenuMain();
}

void TFormMain::createPortivo() {
    Portivo = new QWidget(this);
    Portivo->setObjectName(QStringLiteral("Portivo"));
    Portivo->setGeometry(12, 85, 180, 18);
    QPalette pal = Portivo->palette();
    pal.setColor(QPalette::Window, corvina::colorFromWin(kFormColor));
    Portivo->setPalette(pal);
    Portivo->setAutoFillBackground(true);
    Portivo->hide();

    ImagePortivo = makeImage(Portivo, "ImagePortivo", {0, 0, 180, 18});
    ImagePortivo->OnDblClick = [this](QObject* sender) { MenuFullClick(sender); };
    ImagePortivo->OnMouseDown = [this](QObject* sender, Qt::MouseButton button,
                                       Qt::KeyboardModifiers shift, int x,
                                       int y) { FormMove(sender, button, shift, x, y); };
    PortivoIcon = makeImage(Portivo, "PortivoIcon", {3, 1, 16, 16});
    PortivoIcon->setPicture({});  // a hot spot over the menu symbol of the strip
    PortivoIcon->setCursor(Qt::PointingHandCursor);
    PortivoIcon->setToolTip(QStringLiteral(" 菜单 "));
    PortivoIcon->OnClick = [this](QObject* sender) { MenuPopup(sender); };

    struct StripButton {
        TSuperButton** button;
        const char* name;
        int left;
        const char* hint;
        void (TFormMain::*handler)(QObject*);
    };
    const StripButton buttons[] = {
        {&PortivoPlay, "PortivoPlay", 29, " 播放 ", &TFormMain::CDPlay},
        {&PortivoPause, "PortivoPause", 45, " 暂停 ", &TFormMain::CDPause},
        {&PortivoStop, "PortivoStop", 61, " 停止 ", &TFormMain::CDStop},
        {&PortivoPrev, "PortivoPrev", 77, " 上一曲目 ", &TFormMain::CDPrevious},
        {&PortivoRewind, "PortivoRewind", 93, " 后退 ", &TFormMain::CDRewind},
        {&PortivoForward, "PortivoForward", 109, " 前进 ", &TFormMain::CDForward},
        {&PortivoNext, "PortivoNext", 125, " 下一曲目 ", &TFormMain::CDNext},
        {&PortivoEject, "PortivoEject", 141, " 弹出 / 插入唱片 ", &TFormMain::CDEject},
        {&PortivoRestore, "PortivoRestore", 162, " 完整视图 ", &TFormMain::MenuFullClick},
    };
    for (const StripButton& b : buttons)
        *b.button =
            makeButton(Portivo, b.name, {b.left, 2, 16, 15}, QString::fromUtf8(b.hint), b.handler);
}

TSuperButton* TFormMain::makeButton(QWidget* parent, const char* name, QRect geometry,
                                    const QString& hint, void (TFormMain::*handler)(QObject*)) {
    auto* button = new TSuperButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setCursor(Qt::PointingHandCursor);
    button->setBitmap(skin::picture(QLatin1String(name)));
    button->setStyle(bsNone);
    button->setHint(hint);
    button->setShowHint(true);
    button->OnClick = [this, handler](QObject* sender) { (this->*handler)(sender); };
    return button;
}

void TFormMain::FormCreate(QObject*) {
    corvina::TRegistry registry(corvina::RootKey::LocalMachine);
    const QString exePath = QCoreApplication::applicationFilePath();
    for (const corvina::RootKey root :
         {corvina::RootKey::LocalMachine, corvina::RootKey::CurrentUser}) {
        if (writeValues(root, kInstallKey,
                        {{QStringLiteral("Path"), {RegValue::Type::String, 0u, exePath}}}))
            continue;
        // The store refused the one write: the same steps one by one report what failed.
        registry.setRootKey(root);
        registry.openKey(kInstallKey, true);
        registry.writeString(QStringLiteral("Path"), exePath);
        registry.closeKey();
    }
    registry.setRootKey(corvina::RootKey::CurrentUser);

    if (!registry.openKey(kSettingsKey, false)) {
        if (writeFirstSettings()) {
            registry.openKey(kSettingsKey, false);
        } else {
            // The store refused the one write: the same steps one by one report what failed.
            registry.createKey(kSettingsKey);
            registry.openKey(kSettingsKey, false);
            registry.writeBool(QStringLiteral("ShowSplash"), true);
            registry.writeBool(QStringLiteral("MinimizeAtStartup"), false);
            registry.writeBool(QStringLiteral("CloseAtStartup"), true);
            registry.writeBool(QStringLiteral("CloseOnExit"), true);
            registry.writeBool(QStringLiteral("EjectOnExit"), true);
            registry.writeBool(QStringLiteral("StopOnExit"), true);
            registry.writeBool(QStringLiteral("AlwaysOnTop"), true);
            registry.writeBool(QStringLiteral("Translucent"), false);
            registry.writeBool(QStringLiteral("TranslucentMenu"), true);
            registry.writeBool(QStringLiteral("OnlineLookup"), true);
        }
    }

    if (registry.readBool(QStringLiteral("ShowSplash"))) ShowSplash();
    if (registry.readBool(QStringLiteral("AlwaysOnTop"))) SetStayOnTop(true);

    corvina::cdSend(corvina::cdCommand("open cdaudio alias %1 wait shareable"));
    corvina::cdSend(corvina::cdCommand("set %1 time format tmsf wait"));

    Playing = false;
    Paused = false;
    Stopped = false;
    DoorClosed = true;

    // A garbage reply in this first poll is reported like any tick's, but must not cut the
    // start-up short: the window would be left without its shape, drive and settings.
    corvina::runHandler([this] { TimerCDTimer(TimerCD); });

    if (registry.readBool(QStringLiteral("CloseAtStartup")))
        corvina::cdSend(corvina::cdCommand("set %1 door closed"));
    if (registry.readBool(QStringLiteral("Translucent"))) SetTranslucent(true);
    if (registry.readBool(QStringLiteral("TranslucentMenu"))) SetMenuOpacity(88);
    minimizeHooked_ = true;
    LoadVolume();
    EnableTrayIcon();
    if (registry.readBool(QStringLiteral("MinimizeAtStartup"))) ShowMainForm = !HideToTrayAtStart();

    DriveRoot = corvina::detectDriveRoot();
    registry.closeKey();

    resize(ImageBack->size());
    setRoundRegion(kCornerEllipse);
    ScrollText->setEnabled(true);
    ScrollText->setShowHint(true);
}

void TFormMain::setRoundRegion(int ellipse) {
    setMask(corvina::shell::roundRectRegion(0, 0, width() + 1, height() + 1, ellipse, ellipse));
}

void TFormMain::onTimer() {
    // While a tick's error is on screen, the timer must not stack further reports behind it:
    // the next tick after the report starts afresh.
    if (inTimerTick_ || exiting_) return;
    inTimerTick_ = true;
    corvina::runHandler([this] { TimerCDTimer(TimerCD); });
    inTimerTick_ = false;
}

void TFormMain::MenuExitClick(QObject*) {
    if (exiting_) return;
    exiting_ = true;
    // No tick may poll the device once it is closed, even while a report keeps a loop running.
    TimerCD->stop();
    // A settings key that cannot be read must not keep the player from ending: the device is
    // closed and the application ends whatever the settings, and the reason is shown once.
    QString failure;
    {
        corvina::TRegistry registry(corvina::RootKey::CurrentUser);
        try {
            registry.openKey(kSettingsKey, false);
            if (registry.readBool(QStringLiteral("StopOnExit")))
                corvina::cdSend(corvina::cdCommand("stop %1 wait"));
            if (DiscPresent && registry.readBool(QStringLiteral("EjectOnExit")))
                corvina::cdSend(corvina::cdCommand("set %1 door open"));
            else if (registry.readBool(QStringLiteral("CloseOnExit")))
                corvina::cdSend(corvina::cdCommand("set %1 door closed"));
        } catch (const corvina::Error& e) {
            failure = e.message();
        }
        corvina::cdSend(corvina::cdCommand("close %1"));
    }
    if (!failure.isEmpty()) corvina::reportError(failure);
    QCoreApplication::exit(0);
}

void TFormMain::FormCloseQuery(QObject*, bool& canClose) {
    MenuExitClick(nullptr);
    canClose = true;
}

void TFormMain::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    corvina::runHandler([&] { FormCloseQuery(this, canClose); });
    event->setAccepted(canClose);
}

void TFormMain::WMActivateInstance() {
    // Hidden with no notification area to come back from (its host ended): this is the way back.
    if (!isVisible() && !TrayIcon->TrayAvailable()) {
        TrayIconClick(this);
        return;
    }
    if (isMinimized()) {
        showNormal();
        raise();
        activateWindow();
        return;
    }
    // The window in front is a modal dialog when one is open, else the main window; a main
    // window hidden to the notification area stays hidden.
    QWidget* front = QApplication::activeModalWidget();
    if (!front) front = this;
    if (front->isVisible() && front->isEnabled()) {
        front->raise();
        front->activateWindow();
    }
}
