// The main menu of the player: its items, its looks, where it opens, and the channel and mute
// commands it reaches.
#include <QApplication>
#include <QSet>
#include <QTest>
#include <QTimer>

#include "menu/Menu2000.h"
#include "menu/MenuWindow.h"
#include "platform/sound/EventSound.h"
#include "resources/Skin.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

class MainMenuTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        sound::setEventSound(sound::makeSilentSound());
    }
    TFormMain& startWithDisc(std::map<QString, bool> settings = {}) {
        insertDrive({3 * kMinute, 3 * kMinute, 3 * kMinute});
        writeSettings(settings);
        return start();
    }
    // The four check marks (left, right, all, mute) and which mute picture shows.
    static QString marks(TFormMain& form) {
        QString s;
        for (TMenuItem2000* item : {form.MenuLeftChannel, form.MenuRightChannel,
                                    form.MenuAllChannels, form.MenuAllMute})
            s += item->Checked ? 'T' : 'F';
        s += form.IconMuteTrue->isHidden() ? "" : " muted";
        s += form.IconMuteFalse->isHidden() ? "" : " sound";
        return s;
    }
    QString channels() const {
        return QString(drive_->leftOn() ? "L" : "-") + (drive_->rightOn() ? "R" : "-");
    }
};

// name caption [picture] [handler], indented by level.
void describe(const TMenuItem2000& parent, int level, QStringList& out) {
    for (const TMenuItem2000* item : parent.Items) {
        QString line = QString(level * 2, ' ') + item->objectName() + ' ' + item->Caption;
        if (!item->Bitmap.isNull())
            line += QStringLiteral(" %1x%2").arg(item->Bitmap.width()).arg(item->Bitmap.height());
        if (item->OnClick) line += " click";
        if (item->Checked) line += " checked";
        if (item->Default) line += " default";
        out << line;
        describe(*item, level + 1, out);
    }
}

TEST_F(MainMenuTest, HoldsEveryCommandInItsOrderWithPicturesAndHandlers) {
    TFormMain& form = startWithDisc();
    QStringList lines;
    describe(*form.MenuMain->Items(), 0, lines);
    EXPECT_EQ(lines, (QStringList{
                         "MenuViewModes 视图 16x16",
                         "  MenuFull 完整 16x16 click",
                         "  MenuPortivo 随身听 16x16 click",
                         "MenuN1 -",
                         "MenuMinimize 最小化 16x16 click",
                         "MenuTray 最小化至系统托盘 16x16 click",
                         "MenuN2 -",
                         "MenuPlayback 播放控制 16x16",
                         "  MenuPlay 播放 16x16 click",
                         "  MenuPause 暂停 16x16 click",
                         "  MenuStop 停止 16x16 click",
                         "  MenuEject 弹出 / 插入唱片 16x16 click",
                         "  MenuN3 -",
                         "  MenuRewind 后退 16x16 click",
                         "  MenuForward 前进 16x16 click",
                         "  MenuPrevious 上一曲目 16x16 click",
                         "  MenuNext 下一曲目 16x16 click",
                         "MenuTracks 播放列表... 16x16 click",
                         "MenuSound 声道 16x16",
                         "  MenuLeftChannel 左声道 16x16 click",
                         "  MenuRightChannel 右声道 16x16 click",
                         "  MenuAllChannels 全部声道 16x16 click checked",
                         "  MenuN4 -",
                         "  MenuAllMute 全部静音 16x16 click",
                         "MenuPreferences 设置... 16x16 click",
                         "MenuN5 -",
                         "MenuHelp 帮助 16x16",
                         "  MenuManual 使用手册 16x16 click",
                         "  MenuAbout 关于 16x16 click",
                         "MenuProducts Velmaro其他产品 16x16",
                         "  MenuRestorix Restorix 16x16 click",
                         "  MenuTextoria Textoria 16x16 click",
                         "MenuExit 退出 16x16 click",
                     }));
    EXPECT_EQ(form.MenuAllMute->Bitmap.format(), QImage::Format_Indexed8);  // 256 colours
}

TEST_F(MainMenuTest, ItemsReachTheWindowsHandlers) {
    TFormMain& form = startWithDisc();
    form.MenuStop->Click();
    EXPECT_EQ(takeCommands().value(0), QStringLiteral("stop CorvinaCD wait"));
    form.MenuPlay->Click();
    EXPECT_EQ(takeCommands().value(0), QStringLiteral("play CorvinaCD"));
    form.MenuNext->Click();
    EXPECT_EQ(takeCommands().value(0), QStringLiteral("play CorvinaCD from 2"));
}

TEST_F(MainMenuTest, IsDrawnInThePlayersColoursWithItsStripAndTwelvePixelText) {
    TFormMain& form = startWithDisc();
    T_AM2000_MenuWindow window(form.MenuMain, nullptr);
    window.build(*form.MenuMain->Items());
    window.resize(window.sizeHint());
    const QList<QAction*> actions = window.actions();
    ASSERT_GE(actions.size(), 3);
    window.setActiveAction(actions[2]);  // "最小化", under the first separator
    const QImage image = window.renderMenu();
    const QRgb red = qRgb(255, 51, 51);

    // A one-pixel red bevel all round.
    EXPECT_EQ(image.pixel(0, 0), red);
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), red);
    // Inside it, the skin's strip down the left edge, five pixels wide: each of its pixels is
    // one the strip's picture has in that column, and the sixth column is the menu's own.
    const QImage strip =
        form.MenuMain->Options()->Title.Bitmap.convertToFormat(QImage::Format_RGB32);
    for (int x = 0; x < 5; ++x) {
        QSet<QRgb> column;
        for (int y = 0; y < strip.height(); ++y) column.insert(strip.pixel(x, y));
        for (int y = 1; y < image.height() - 1; y += 7)
            EXPECT_TRUE(column.contains(image.pixel(1 + x, y))) << x << "," << y;
    }
    // Items on white, the chosen one red from the strip to the bevel.
    const QRect view = window.actionGeometry(actions[0]);
    EXPECT_EQ(image.pixel(view.right() - 1, view.top() + 1), qRgb(255, 255, 255));
    const QRect chosen = window.actionGeometry(actions[2]);
    EXPECT_EQ(image.pixel(chosen.left(), chosen.center().y()), red);
    EXPECT_EQ(image.pixel(chosen.right(), chosen.center().y()), red);
    // The caption "视图" in dark ink, within 12 rows (the 12-pixel Song face, not a system font).
    int top = image.height(), bottom = -1;
    for (int y = view.top(); y <= view.bottom(); ++y)
        for (int x = view.left() + 24; x < view.left() + 60; ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(bottom, top) << "no caption drawn";
    EXPECT_LE(bottom - top + 1, 12);
    EXPECT_GE(bottom - top + 1, 9);
}

TEST_F(MainMenuTest, TranslucentMenuSettingGivesEightyEightPercent) {
    TFormMain& on = startWithDisc({{"TranslucentMenu", true}});
    EXPECT_EQ(on.MenuMain->Options()->Opacity(), 88);
    on.SetMenuOpacity(100);
    EXPECT_EQ(on.MenuMain->Options()->Opacity(), 100);
    form_.reset();
    TFormMain& off = startWithDisc({{"TranslucentMenu", false}});
    EXPECT_EQ(off.MenuMain->Options()->Opacity(), 100);
}

TEST_F(MainMenuTest, ChannelHandlersSendTheirCommandsAndSetAllMarksAndPictures) {
    TFormMain& form = startWithDisc();
    EXPECT_EQ(marks(form), "FFTF sound");
    struct Case {
        void (TFormMain::*handler)(QObject*);
        QStringList commands;
        const char* marks;
        const char* channels;
    };
    const Case cases[] = {
        {&TFormMain::MenuSoundLeftClick,
         {"set CorvinaCD audio right off", "set CorvinaCD audio left on"}, "TFFF sound", "L-"},
        {&TFormMain::MenuSoundRightClick,
         {"set CorvinaCD audio left off", "set CorvinaCD audio right on"}, "FTFF sound", "-R"},
        {&TFormMain::MenuSoundMuteClick, {"set CorvinaCD audio all off"}, "FFFT muted", "--"},
        {&TFormMain::MenuSoundAllClick, {"set CorvinaCD audio all on"}, "FFTF sound", "LR"},
        {&TFormMain::MuteFalse, {"set CorvinaCD audio all off"}, "FFFT muted", "--"},
        {&TFormMain::MuteTrue, {"set CorvinaCD audio all on"}, "FFTF sound", "LR"},
    };
    for (const Case& c : cases) {
        (form.*c.handler)(nullptr);
        EXPECT_EQ(takeCommands(), c.commands);  // no tick, no disc check
        EXPECT_EQ(marks(form), c.marks) << c.commands.join(", ").toStdString();
        EXPECT_EQ(channels(), c.channels) << c.commands.join(", ").toStdString();
    }
}

TEST_F(MainMenuTest, MutedPictureAfterALeftChoiceGivesBothChannelsBack) {
    TFormMain& form = startWithDisc();
    form.MenuSoundLeftClick(nullptr);
    form.MenuSoundMuteClick(nullptr);
    EXPECT_EQ(channels(), "--");
    form.MuteTrue(form.IconMuteTrue);
    EXPECT_EQ(channels(), "LR");
    EXPECT_EQ(marks(form), "FFTF sound");
    // A one-channel choice also ends a mute, and left then right leaves only the right.
    form.MenuSoundMuteClick(nullptr);
    form.MenuSoundLeftClick(nullptr);
    EXPECT_EQ(channels(), "L-");
    EXPECT_EQ(marks(form), "TFFF sound");
    form.MenuSoundRightClick(nullptr);
    EXPECT_EQ(channels(), "-R");
}

TEST_F(MainMenuTest, TheChoiceHoldsAcrossTrackChangesSeeksPauseAndEject) {
    TFormMain& form = startWithDisc();
    form.MenuSoundLeftClick(nullptr);
    for (auto step : {&TFormMain::CDNext, &TFormMain::CDForward, &TFormMain::CDRewind,
                      &TFormMain::CDPause, &TFormMain::CDPlay, &TFormMain::CDEject,
                      &TFormMain::CDEject, &TFormMain::CDPlay}) {
        (form.*step)(nullptr);
        tick();
        EXPECT_EQ(channels(), "L-");
    }
    EXPECT_EQ(marks(form), "TFFF sound");
}

TEST_F(MainMenuTest, WithoutADiscTheMenuAndPicturesStillSwitch) {
    insertDrive({});
    writeSettings();
    TFormMain& form = start();
    form.MenuSoundMuteClick(nullptr);
    EXPECT_EQ(takeCommands(), QStringList{"set CorvinaCD audio all off"});
    EXPECT_EQ(marks(form), "FFFT muted");
    form.MuteTrue(nullptr);
    EXPECT_EQ(marks(form), "FFTF sound");
}

TEST_F(MainMenuTest, RightButtonReleasedOnTheBackgroundOpensTheMenuAtThePointer) {
    TFormMain& form = startWithDisc();
    form.move(100, 100);
    form.show();
    QPoint opened;
    QObject* component = nullptr;
    form.MenuMain->OnWindowShown = [&](T_AM2000_MenuWindow* window) {
        opened = window->pos();
        component = form.MenuMain->PopupComponent;
        // The channel submenu from the keyboard: 声道 is the sixth entry.
        QTimer::singleShot(0, window, [] {
            for (Qt::Key k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down,
                              Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Return})
                QTest::keyClick(QApplication::activePopupWidget(), k);
        });
        form.MenuMain->OnWindowShown = nullptr;
    };
    QTest::mousePress(form.ImageBack, Qt::RightButton, {}, QPoint(130, 40));
    EXPECT_EQ(opened, QPoint());  // nothing on the press
    QTest::mouseRelease(form.ImageBack, Qt::RightButton, {}, QPoint(130, 40));
    EXPECT_EQ(opened, form.ImageBack->mapToGlobal(QPoint(130, 40)));
    EXPECT_EQ(component, form.ImageBack);
    EXPECT_EQ(takeCommands(),
              (QStringList{"set CorvinaCD audio right off", "set CorvinaCD audio left on"}));
    EXPECT_EQ(form.ImagePortivo->PopupMenu, form.MenuMain);
}

TEST_F(MainMenuTest, NoItemIsTheDefault) {
    TFormMain& form = startWithDisc();
    std::function<bool(const TMenuItem2000&)> anyDefault = [&](const TMenuItem2000& parent) {
        for (const TMenuItem2000* item : parent.Items)
            if (item->Default || anyDefault(*item)) return true;
        return false;
    };
    EXPECT_FALSE(anyDefault(*form.MenuMain->Items()));
}

}  // namespace
}  // namespace corvina::test
