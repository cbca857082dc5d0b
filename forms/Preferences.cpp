#include "forms/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <iterator>

#include "app/Main.h"
#include "forms/Placement.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/desktop/Integration.h"
#include "platform/lookup/OnlineNames.h"
#include "platform/registry/DriveList.h"
#include "platform/registry/Registry.h"

namespace {

const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");
constexpr int kCornerEllipse = 18;
constexpr int kTranslucentMenu = 88;
constexpr int kOpaqueMenu = 100;
constexpr int kItemHeight = 12;

// Drop-down rows exactly 12 pixels high.
class FixedHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), kItemHeight};
    }
};

QCheckBox* makeCheckBox(QWidget* parent, const char* name, int left, int top,
                        const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(left, top, 217, 17);
    return box;
}

QPushButton* makeButton(QWidget* parent, const char* name, int left, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 304, 75, 25);
    return button;
}

QString executable() {
    return QCoreApplication::applicationFilePath();
}

}  // namespace

TFormPreferences::TFormPreferences(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FormPreferences"));
    setWindowTitle(QStringLiteral("设置"));
    setFont(corvina::windowsFont(QStringLiteral("宋体"), -12));
    setFixedSize(505, 334);

    GroupBox1 = new QGroupBox(QStringLiteral("播放器设置"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 489, 153);
    cbStopOnExit =
        makeCheckBox(GroupBox1, "cbStopOnExit", 256, 24, QStringLiteral("退出时停止播放音乐"));
    cbAlwaysOnTop =
        makeCheckBox(GroupBox1, "cbAlwaysOnTop", 256, 72, QStringLiteral("窗口总是在最前端"));
    cbAutorun = makeCheckBox(GroupBox1, "cbAutorun", 256, 48, QStringLiteral("开机时自动运行"));
    cbTranslucent = makeCheckBox(GroupBox1, "cbTranslucent", 256, 96,
                                 QStringLiteral("在 Win 2000/XP 下窗口半透明"));
    cbShowSplash =
        makeCheckBox(GroupBox1, "cbShowSplash", 24, 24, QStringLiteral("启动时显示启动画面"));
    cbMinimizeAtStartup =
        makeCheckBox(GroupBox1, "cbMinimizeAtStartup", 24, 48, QStringLiteral("启动时最小化"));
    cbEjectOnExit = makeCheckBox(GroupBox1, "cbEjectOnExit", 24, 120,
                                 QStringLiteral("退出时弹出唱片（如果有）"));

    GroupBox2 = new QGroupBox(QStringLiteral("系统设置"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(8, 168, 489, 129);
    cbAutoPlay = makeCheckBox(GroupBox2, "cbAutoPlay", 24, 24, QStringLiteral("自动播放 CD 唱片"));
    cbDefaultPlayer = makeCheckBox(GroupBox2, "cbDefaultPlayer", 24, 48,
                                   QStringLiteral("设置为系统默认的播放器"));
    cbDefaultIcons = makeCheckBox(GroupBox2, "cbDefaultIcons", 256, 24,
                                  QStringLiteral("使用Corvina CD 播放器的图标"));

    ButtonOK = makeButton(this, "ButtonOK", 312, QStringLiteral("确定"));
    ButtonOK->setDefault(true);
    ButtonCancel = makeButton(this, "ButtonCancel", 400, QStringLiteral("取消"));

    cbCloseAtStartup =
        makeCheckBox(GroupBox1, "cbCloseAtStartup", 24, 72, QStringLiteral("启动时关闭光驱门"));
    cbCloseOnExit =
        makeCheckBox(GroupBox1, "cbCloseOnExit", 24, 96, QStringLiteral("退出时关闭光驱门"));

    Label1 = new QLabel(QStringLiteral("可使用的设备（第一个设备将被用于唱片的播放）"), GroupBox2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 72, 264, 12);
    cbbDevice = new QComboBox(GroupBox2);
    cbbDevice->setObjectName(QStringLiteral("cbbDevice"));
    cbbDevice->setGeometry(24, 88, 329, 20);
    cbbDevice->setEditable(false);
    cbbDevice->setItemDelegate(new FixedHeightDelegate(cbbDevice));

    cbTranslucentMenu =
        makeCheckBox(GroupBox1, "cbTranslucentMenu", 256, 120, QStringLiteral("半透明菜单"));
    // The cell beside "设置为系统默认的播放器", on the system group's grid.
    cbOnlineLookup =
        makeCheckBox(GroupBox2, "cbOnlineLookup", 256, 48, QStringLiteral("在线查询唱片信息"));

    // Tab order: the first group's boxes, the second group's, then the buttons.
    QWidget* const order[] = {cbStopOnExit,   cbAlwaysOnTop,       cbAutorun,     cbTranslucent,
                              cbShowSplash,   cbMinimizeAtStartup, cbEjectOnExit, cbCloseAtStartup,
                              cbCloseOnExit,  cbTranslucentMenu,   cbAutoPlay,    cbDefaultPlayer,
                              cbDefaultIcons, cbOnlineLookup,      cbbDevice,     ButtonOK,
                              ButtonCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    Label1->setFocusPolicy(Qt::NoFocus);
    cbStopOnExit->setFocus();

    connect(ButtonOK, &QPushButton::clicked, this,
            corvina::guarded([this] { ButtonOKClick(ButtonOK); }));
    connect(ButtonCancel, &QPushButton::clicked, this,
            corvina::guarded([this] { ButtonCancelClick(ButtonCancel); }));

    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    corvina::centreOnScreen(this, screen);

    corvina::runHandler([this] { FormCreate(this); });
}

std::array<std::pair<const char*, QCheckBox*>, 9> TFormPreferences::settingBoxes() const {
    return {{{"ShowSplash", cbShowSplash},
             {"MinimizeAtStartup", cbMinimizeAtStartup},
             {"CloseAtStartup", cbCloseAtStartup},
             {"CloseOnExit", cbCloseOnExit},
             {"EjectOnExit", cbEjectOnExit},
             {"StopOnExit", cbStopOnExit},
             {"AlwaysOnTop", cbAlwaysOnTop},
             {"Translucent", cbTranslucent},
             {"TranslucentMenu", cbTranslucentMenu}}};
}

void TFormPreferences::FormCreate(QObject*) {
    {
        corvina::TRegistry registry(corvina::RootKey::CurrentUser);
        registry.openKey(kSettingsKey, false);
        for (const auto& [name, box] : settingBoxes())
            box->setChecked(registry.readBool(QLatin1String(name)));
        cbOnlineLookup->setChecked(corvina::lookup::readOnlineLookup(registry));
    }

    const QString exe = executable();
    cbAutorun->setChecked(corvina::autorunIsSet(exe));
    cbAutoPlay->setChecked(corvina::autoPlayIsSet());
    cbDefaultPlayer->setChecked(corvina::defaultPlayerIsSet(exe));
    cbDefaultIcons->setChecked(corvina::defaultIconsAreSet(exe));

    cbbDevice->addItems(corvina::listCdDevices());
    if (cbbDevice->count() > 0) cbbDevice->setCurrentIndex(0);
}

void TFormPreferences::ButtonOKClick(QObject*) {
    {
        corvina::TRegistry registry(corvina::RootKey::CurrentUser);
        // Created when missing (deleted while the player ran): OK would fail every time else.
        registry.openKey(kSettingsKey, true);
        for (const auto& [name, box] : settingBoxes())
            registry.writeBool(QLatin1String(name), box->isChecked());
        registry.writeBool(QStringLiteral("OnlineLookup"), cbOnlineLookup->isChecked());
    }

    corvina::IntegrationChoice choice;
    choice.autorun = cbAutorun->isChecked();
    choice.autoPlay = cbAutoPlay->isChecked();
    choice.defaultPlayer = cbDefaultPlayer->isChecked();
    choice.defaultIcons = cbDefaultIcons->isChecked();
    corvina::writeIntegration(choice, executable());

    if (TFormMain* main = FormMain) {
        main->SetStayOnTop(cbAlwaysOnTop->isChecked());
        main->SetTranslucent(cbTranslucent->isChecked());
        main->SetMenuOpacity(cbTranslucentMenu->isChecked() ? kTranslucentMenu : kOpaqueMenu);
        if (!main->PortivoView) main->setRoundRegion(kCornerEllipse);
    }
    // Switched on, a disc passed over is looked up now; switched off, nothing more is sent.
    corvina::lookup::settingChanged();
    accept();
}

void TFormPreferences::ButtonCancelClick(QObject*) {
    reject();
}
