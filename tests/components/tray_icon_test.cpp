// The tray icon component against a fake notification area: the record it hands to the shell,
// the mouse message table, the menu at the pointer, icon cycling and hiding the owner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <QWidget>

#include "components/TrayIcon.h"
#include "platform/tray/FakeTrayShell.h"
#include "tests/support/TestSupport.h"

namespace {

using corvina::FakeTrayShell;
using corvina::NotifyMessage;
namespace mouse = corvina::trayMouse;

QIcon solidIcon(Qt::GlobalColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

QRgb iconColour(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().pixel(8, 8);
}

// Records where the menu was opened and by whom.
class RecordingMenu : public TPopupMenu2000 {
public:
    using TPopupMenu2000::TPopupMenu2000;
    void Popup(int x, int y) override { opened.append({QPoint(x, y), PopupComponent}); }
    QList<std::pair<QPoint, QObject*>> opened;
};

class TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto shell = std::make_unique<FakeTrayShell>();
        shell_ = shell.get();
        icon_ = std::make_unique<TTrayIcon>(&owner_, std::move(shell));
        icon_->OnClick = [this](QObject*) { events_ << "click"; };
        icon_->OnDblClick = [this](QObject*) { events_ << "dblclick"; };
        icon_->OnMouseDown = [this](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int x,
                                    int y) {
            events_ << QString("down %1 %2,%3").arg(b).arg(x).arg(y);
        };
        icon_->OnMouseUp = [this](QObject*, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
            events_ << QString("up %1").arg(b);
        };
    }
    QWidget owner_;
    FakeTrayShell* shell_ = nullptr;
    std::unique_ptr<TTrayIcon> icon_;
    QStringList events_;
};

TEST(TrayTip, CutsTo63BytesWithoutSplittingACharacter) {
    EXPECT_EQ(corvina::makeTip(QStringLiteral("Corvina CD 播放器"), true).data(),
              QByteArray("Corvina CD 播放器"));
    // Exactly 63 bytes fit; the 64th would leave no room for the terminating zero.
    const QString ascii(80, QLatin1Char('a'));
    EXPECT_EQ(QByteArray(corvina::makeTip(ascii, true).data()), QByteArray(63, 'a'));
    EXPECT_EQ(QByteArray(corvina::makeTip(ascii.left(63), true).data()), QByteArray(63, 'a'));
    // 21 three-byte characters are 63 bytes; after one ASCII byte only 20 of them fit.
    const QString chinese = QString(21, QChar(0x64AD));
    EXPECT_EQ(QString::fromUtf8(corvina::makeTip(chinese, true).data()), chinese);
    const auto tip = corvina::makeTip(QStringLiteral("x") + chinese, true);
    EXPECT_EQ(QByteArray(tip.data()).size(), 61);
    EXPECT_EQ(QString::fromUtf8(tip.data()), QStringLiteral("x") + chinese.left(20));
    // Four-byte characters too (a cut at byte 63 falls inside the 16th).
    const QString emoji = QString::fromUcs4(U"\U0001F3B5").repeated(20);
    EXPECT_EQ(QString::fromUtf8(corvina::makeTip(emoji, true).data()), emoji.left(30));
    // Not shown or empty: all zeros.
    const auto hidden = corvina::makeTip(QStringLiteral("tip"), false);
    EXPECT_TRUE(std::all_of(hidden.begin(), hidden.end(), [](char c) { return c == 0; }));
    EXPECT_EQ(corvina::makeTip(QString(), true)[0], 0);
}

TEST_F(TrayIconTest, TheNotificationAreaShowsWhatThePropertiesSay) {
    // Nothing is in the notification area before the component has been loaded.
    icon_->setHint(QStringLiteral("Corvina CD 播放器"));
    icon_->setIcon(solidIcon(Qt::red));
    EXPECT_FALSE(shell_->iconShown);
    icon_->Loaded();
    ASSERT_TRUE(shell_->iconShown);
    EXPECT_EQ(iconColour(shell_->lastRecord().icon), qRgb(255, 0, 0));
    // The tip shows only with ShowHint on; each change reaches what the area shows.
    EXPECT_EQ(shell_->lastRecord().tipText(), QString());
    icon_->setShowHint(true);
    EXPECT_EQ(shell_->lastRecord().tipText(), QStringLiteral("Corvina CD 播放器"));
    icon_->setIcon(solidIcon(Qt::blue));
    EXPECT_EQ(iconColour(shell_->lastRecord().icon), qRgb(0, 0, 255));

    // Hidden, changes do not bring the icon back; shown again, it has the latest icon and tip.
    icon_->setIconVisible(false);
    EXPECT_FALSE(shell_->iconShown);
    icon_->setHint(QStringLiteral("新的提示"));
    icon_->setIcon(solidIcon(Qt::green));
    EXPECT_FALSE(shell_->iconShown);
    icon_->setIconVisible(true);
    ASSERT_TRUE(shell_->iconShown);
    EXPECT_EQ(shell_->lastRecord().tipText(), QStringLiteral("新的提示"));
    EXPECT_EQ(iconColour(shell_->lastRecord().icon), qRgb(0, 255, 0));
    // Every message names the same icon, so the area updates one icon instead of adding more.
    for (const auto& [message, record] : shell_->messages) EXPECT_EQ(record.id, 1u);

    // A notification area that refuses: the operations say so.
    shell_->refuseIcons = true;
    EXPECT_FALSE(icon_->ModifyIcon());
    icon_->setIconVisible(false);
    EXPECT_FALSE(icon_->ShowIcon());
}

TEST(TrayIconLifetime, DestructionRemovesTheIcon) {
    QWidget owner;
    QList<NotifyMessage> journal;
    {
        auto shell = std::make_unique<FakeTrayShell>();
        shell->journal = &journal;
        TTrayIcon icon(&owner, std::move(shell));
        icon.Loaded();
        journal.clear();
    }
    EXPECT_EQ(journal, QList<NotifyMessage>{NotifyMessage::Delete});
}

TEST(TrayIconLifetime, AnOwnerThatIsNoWindowIsRefused) {
    QObject notAWindow;
    corvina::test::ErrorCapture errors;
    EXPECT_THROW(TTrayIcon(&notAWindow, std::make_unique<FakeTrayShell>()), corvina::Error);
    EXPECT_NO_THROW(TTrayIcon(nullptr, std::make_unique<FakeTrayShell>()));
}

TEST_F(TrayIconTest, MouseMessagesBecomeEvents) {
    shell_->cursor = {700, 750};
    shell_->press(mouse::LeftDown);
    shell_->press(mouse::LeftUp);
    EXPECT_EQ(events_, (QStringList{"down 1 700,750", "click", "up 1"}));

    // A double click: one click from the first press and release, then the double click; the
    // second release gives no click.
    events_.clear();
    for (int m : {mouse::LeftDown, mouse::LeftUp, mouse::LeftDoubleClick, mouse::LeftUp})
        shell_->press(m);
    EXPECT_EQ(events_, (QStringList{"down 1 700,750", "click", "up 1", "dblclick", "up 1"}));

    events_.clear();
    shell_->press(mouse::MiddleDown);
    shell_->press(mouse::MiddleUp);
    shell_->press(mouse::RightDoubleClick);
    shell_->press(0x209);
    EXPECT_EQ(events_, (QStringList{"down 4 700,750", "up 4"}));

    // Disabled: nothing at all.
    events_.clear();
    icon_->setEnabled(false);
    for (int m : {mouse::LeftDown, mouse::LeftUp, mouse::RightDown, mouse::LeftDoubleClick})
        shell_->press(m);
    EXPECT_TRUE(events_.isEmpty());
}

TEST_F(TrayIconTest, RightButtonOpensTheMenuAtThePointerAfterTheFocusWindowComesForward) {
    RecordingMenu menu(&owner_);
    icon_->setPopupMenu(&menu);
    QWidget focusWindow;
    auto* edit = new QWidget(&focusWindow);
    edit->setFocusPolicy(Qt::StrongFocus);
    focusWindow.show();
    focusWindow.activateWindow();
    edit->setFocus();
    QCoreApplication::processEvents();
    shell_->cursor = {1000, 740};

    shell_->press(mouse::RightDown);
    ASSERT_EQ(menu.opened.size(), 1);
    EXPECT_EQ(menu.opened[0].first, QPoint(1000, 740));
    EXPECT_EQ(menu.opened[0].second, icon_.get());
    ASSERT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(shell_->foregroundWindows, QList<QWidget*>{&focusWindow});
    shell_->press(mouse::RightUp);
    EXPECT_FALSE(events_.contains("click"));

    // The left button opens it only with LeftPopup; no menu when the pointer cannot be read.
    shell_->press(mouse::LeftDown);
    EXPECT_EQ(menu.opened.size(), 1);
    icon_->setLeftPopup(true);
    shell_->press(mouse::LeftDown);
    EXPECT_EQ(menu.opened.size(), 2);
    shell_->cursorReadable = false;
    shell_->press(mouse::RightDown);
    menu.AutoPopup = false;
    shell_->cursorReadable = true;
    shell_->press(mouse::RightDown);
    EXPECT_EQ(menu.opened.size(), 2);
}

TEST_F(TrayIconTest, DoubleClickRunsTheFirstDefaultItem) {
    TPopupMenu2000 menu(&owner_);
    QStringList ran;
    for (const char* name : {"plain", "first default", "second default"}) {
        auto* item = new TMenuItem2000(&menu);
        item->Caption = name;
        item->Default = QByteArray(name).contains("default");
        item->OnClick = [&ran](QObject* sender) {
            ran << static_cast<TMenuItem2000*>(sender)->Caption;
        };
        menu.Items()->Items.push_back(item);
    }
    shell_->press(mouse::LeftDoubleClick);  // no menu: just the event
    EXPECT_TRUE(ran.isEmpty());
    icon_->setPopupMenu(&menu);
    shell_->press(mouse::LeftDoubleClick);
    EXPECT_EQ(ran, QStringList{"first default"});
    icon_->setLeftPopup(true);
    shell_->press(mouse::LeftDoubleClick);
    EXPECT_EQ(ran.size(), 1);

    // A menu destroyed elsewhere is forgotten.
    icon_->setLeftPopup(false);
    {
        TPopupMenu2000 shortLived(nullptr);
        icon_->setPopupMenu(&shortLived);
    }
    EXPECT_EQ(icon_->PopupMenu(), nullptr);
    shell_->press(mouse::RightDown);  // no crash, nothing opens
}

TEST_F(TrayIconTest, CyclesThroughTheImageListAndWraps) {
    TImageList list;
    for (auto c : {Qt::red, Qt::green, Qt::blue}) list.Add(solidIcon(c));
    QList<int> next;
    icon_->OnCycle = [&next](QObject*, int n) { next << n; };
    icon_->setIconList(&list);
    icon_->setCycleInterval(40);
    icon_->setCycleIcons(true);
    EXPECT_EQ(icon_->IconIndex(), 0);

    QList<QRgb> shown;
    for (int i = 0; i < 4; ++i) {
        icon_->CycleTick();
        shown << iconColour(shell_->lastRecord().icon);
    }
    EXPECT_EQ(shown,
              (QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 0)}));
    EXPECT_EQ(next, (QList<int>{1, 2, 0, 1}));

    // The timer drives it at the interval.
    const int before = next.size();
    QTest::qWait(200);
    EXPECT_GE(next.size(), before + 2);
    icon_->setCycleIcons(false);
    const int stopped = next.size();
    QTest::qWait(100);
    EXPECT_EQ(next.size(), stopped);

    // An index past the list selects the last icon; no list: index 0.
    icon_->setIconIndex(7);
    EXPECT_EQ(icon_->IconIndex(), 2);
    EXPECT_EQ(iconColour(shell_->lastRecord().icon), qRgb(0, 0, 255));
    icon_->setIconList(nullptr);
    icon_->setIconIndex(2);
    EXPECT_EQ(icon_->IconIndex(), 0);
}

TEST_F(TrayIconTest, ADestroyedImageListIsForgotten) {
    {
        TImageList list;
        list.Add(solidIcon(Qt::red));
        icon_->setIconList(&list);
    }
    EXPECT_EQ(icon_->IconList(), nullptr);
    icon_->CycleTick();  // nothing to do, no crash
}

TEST_F(TrayIconTest, MinimisingWithMinimizeToTrayHidesTheOwnerAndKeepsTheIcon) {
    owner_.show();
    owner_.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(owner_.isVisible());  // without the flag, a plain minimise

    owner_.showNormal();
    icon_->setIconVisible(false);
    icon_->setMinimizeToTray(true);
    owner_.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(owner_.isVisible());
    EXPECT_TRUE(icon_->IconVisible());
    EXPECT_TRUE(shell_->iconShown);
}

TEST_F(TrayIconTest, LosingTheNotificationAreaWhileHiddenIsReported) {
    int lost = 0;
    icon_->OnTrayLost = [&lost](QObject*) { ++lost; };
    icon_->setMinimizeToTray(true);
    shell_->hasNotificationArea = false;
    QTest::qWait(4500);
    EXPECT_EQ(lost, 1);  // once, not every check
}

TEST_F(TrayIconTest, AHandlerErrorIsReported) {
    corvina::test::ErrorCapture errors;
    icon_->OnClick = [](QObject*) { throw corvina::Error("click failed"); };
    shell_->press(mouse::LeftDown);
    shell_->press(mouse::LeftUp);
    EXPECT_EQ(errors.messages(), QStringList{"click failed"});
}

}  // namespace
