// The skinned menu windows under a headless desktop: layout and drawing, the keyboard, the
// chosen item's handler, and the effects over a fake screen.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QTimer>

#include "components/Colors.h"
#include "menu/Desktop.h"
#include "menu/Menu2000.h"
#include "menu/MenuWindow.h"
#include "platform/sound/EventSound.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr quint32 kRed = 3355647;  // RGB 255,51,51
const QRgb kRgbRed = qRgb(255, 51, 51);

QImage keyedPicture(QRgb colour) {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 255));  // key colour, as in the skin
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x) picture.setPixel(x, y, colour);
    return picture;
}

class MenuWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto sound = std::make_unique<corvina::sound::FakeEventSound>();
        sound_ = sound.get();
        corvina::sound::setEventSound(std::move(sound));
        screen_ = QImage(800, 600, QImage::Format_RGB32);
        screen_.fill(Qt::black);
        am2000::desktop().setScreenSource([this](const QRect& r) {
            ++reads_;
            return refuse_ ? QImage() : screen_.copy(r);
        });

        menu_ = std::make_unique<TPopupMenu2000>(nullptr);
        TMenuItem2000* top = menu_->Items();
        view_ = add(top, "视图");
        full_ = add(view_, "完整");
        add(top, "-");
        channel_ = add(top, "声道");
        channel_->Checked = true;
        channel_->Bitmap = keyedPicture(qRgb(0, 0, 200));
        quit_ = add(top, "&Quit");
        T_AM2000_MenuOptions& o = *menu_->Options();
        o.Colors = {clWhite, kRed,    kRed,   clWhite, clBlack,  kRed,   clWhite,
                    0x808080, clNone, 0x808080, clNone, clWhite, 0x808080, clBlack};
        o.Margins.Border = 0;
        o.Margins.Bevel = 1;
        o.Title.Visible = true;
        o.Title.Width = 5;
        QImage strip(5, 300, QImage::Format_RGB32);
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 300; ++y) strip.setPixel(x, y, qRgb(255, 20 * x, 0));
        o.Title.Bitmap = strip;
        o.Animation = anNone;
        menu_->SystemFont = false;
        menu_->Ctl3D = false;
        menu_->Font = QApplication::font();
    }

    void TearDown() override {
        menu_.reset();
        am2000::desktop().setScreenSource({});
        corvina::sound::setEventSound(corvina::sound::makeSilentSound());
    }

    TMenuItem2000* add(TMenuItem2000* parent, const char* caption) {
        auto* item = new TMenuItem2000(parent);
        item->Caption = QString::fromUtf8(caption);
        item->OnClick = [this](QObject* sender) {
            clicked_.push_back(sender);
            stillOpen_ = menu_->openWindow() != nullptr || QApplication::activePopupWidget();
        };
        parent->Add(item);
        return item;
    }

    // Opens the menu at (x, y) and runs `script` on its window once it is shown; returns when
    // the menu has closed.
    void popup(const std::function<void(T_AM2000_MenuWindow*)>& script, int x = 100, int y = 80) {
        bool started = false;
        menu_->OnWindowShown = [&](T_AM2000_MenuWindow* window) {
            if (window->parentWindow() || started) return;
            started = true;
            QTimer::singleShot(0, window, [window, script] { script(window); });
        };
        // A script that leaves the menu open must not hang the test.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (QWidget* open = QApplication::activePopupWidget()) open->close();
        });
        guard.start(5000);
        menu_->Popup(x, y);
        EXPECT_TRUE(guard.isActive()) << "the menu had to be closed by force";
    }

    static void key(Qt::Key k) {
        QWidget* target = QApplication::activePopupWidget();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, k);
    }

    // Waits (running events) until the window's fade is over.
    static void waitForFade(T_AM2000_MenuWindow* window) {
        QTRY_VERIFY_WITH_TIMEOUT(!window->fade().running() && window->fadeFrames() > 0, 3000);
    }

    std::unique_ptr<TPopupMenu2000> menu_;
    TMenuItem2000 *view_ = nullptr, *full_ = nullptr, *channel_ = nullptr, *quit_ = nullptr;
    std::vector<QObject*> clicked_;
    bool stillOpen_ = false;
    corvina::sound::FakeEventSound* sound_ = nullptr;
    QImage screen_;
    int reads_ = 0;
    bool refuse_ = false;
};

TEST_F(MenuWindowTest, LaysOutItemsFromTheMarginsAndDrawsStripBevelAndPictures) {
    T_AM2000_MenuWindow window(menu_.get(), nullptr);
    window.build(*menu_->Items());
    window.resize(window.sizeHint());
    const QList<QAction*> actions = window.actions();
    ASSERT_EQ(actions.size(), 4);
    const QRect view = window.actionGeometry(actions[0]);
    const QRect line = window.actionGeometry(actions[1]);
    const QRect channel = window.actionGeometry(actions[2]);
    EXPECT_EQ(view.topLeft(), QPoint(6, 1));  // inside the bevel and the 5-pixel strip
    const int h = view.height();  // a 16-pixel picture with 2 pixels around, or the text's height
    EXPECT_GE(h, 20);
    EXPECT_EQ(line.height(), 9);
    EXPECT_EQ(channel.top(), line.bottom() + 1);
    const int widest = window.fontMetrics().horizontalAdvance(QStringLiteral("Quit"));
    EXPECT_GE(window.width(), 1 + 5 + 24 + widest + 24 + 1);
    EXPECT_EQ(window.height(), 1 + h + 9 + h + h + 1);

    window.setActiveAction(actions[3]);
    const QImage image = window.renderMenu();
    EXPECT_EQ(image.pixel(0, 0), kRgbRed);                            // bevel
    EXPECT_EQ(image.pixel(window.width() - 1, 30), kRgbRed);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(image.pixel(1 + x, 40), qRgb(255, 20 * x, 0)) << x;
    EXPECT_EQ(image.pixel(view.right() - 2, view.top() + 1), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(line.left() + 30, line.top() + 4), qRgb(128, 128, 128));  // separator
    EXPECT_EQ(image.pixel(line.left() + 30, line.top() + 3), qRgb(255, 255, 255));
    // The checked item's picture: its own pixels drawn, the key colour left out, the cell sunk.
    EXPECT_EQ(image.pixel(channel.left() + 4 + 8, channel.top() + 2 + 8), qRgb(0, 0, 200));
    EXPECT_NE(image.pixel(channel.left() + 4 + 1, channel.top() + 2 + 1), qRgb(255, 0, 255));
    EXPECT_EQ(image.pixel(channel.left() + 1, channel.top() + 1), qRgb(128, 128, 128));
    // The highlighted item is red from edge to edge.
    const QRect quit = window.actionGeometry(actions[3]);
    EXPECT_EQ(image.pixel(quit.left(), quit.center().y()), kRgbRed);
    EXPECT_EQ(image.pixel(quit.right(), quit.center().y()), kRgbRed);
}

TEST_F(MenuWindowTest, ChoosingAnItemClosesTheMenuBeforeItsHandlerRunsWithTheItemAsSender) {
    popup([](T_AM2000_MenuWindow*) {
        key(Qt::Key_Down);  // 视图
        key(Qt::Key_Right);
        key(Qt::Key_Return);  // 完整
    });
    ASSERT_EQ(clicked_.size(), 1u);
    EXPECT_EQ(clicked_[0], full_);
    EXPECT_FALSE(stillOpen_);
    EXPECT_EQ(menu_->openWindow(), nullptr);
}

TEST_F(MenuWindowTest, EscapeClosesOneLevelAtATime) {
    bool subClosedAlone = false;
    popup([&](T_AM2000_MenuWindow* root) {
        key(Qt::Key_Down);
        key(Qt::Key_Right);
        QWidget* sub = QApplication::activePopupWidget();
        ASSERT_NE(sub, root);
        key(Qt::Key_Escape);
        subClosedAlone = !sub->isVisible() && root->isVisible() &&
                         QApplication::activePopupWidget() == root;
        key(Qt::Key_Escape);
    });
    EXPECT_TRUE(subClosedAlone);
    EXPECT_TRUE(clicked_.empty());
}

TEST_F(MenuWindowTest, AcceleratorsMarkedInCaptionsChooseTheirItem) {
    popup([](T_AM2000_MenuWindow*) { key(Qt::Key_Q); });
    ASSERT_EQ(clicked_.size(), 1u);
    EXPECT_EQ(clicked_[0], quit_);
}

TEST_F(MenuWindowTest, AHandlerThatFailsIsReportedAndThePopupReturns) {
    corvina::test::ErrorCapture errors;
    quit_->OnClick = [](QObject*) { throw corvina::Error(QStringLiteral("no drive")); };
    popup([](T_AM2000_MenuWindow*) { key(Qt::Key_Q); });
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("no drive")});
}

TEST_F(MenuWindowTest, ScreenReadersSeeCaptionsAndCheckMarks) {
    T_AM2000_MenuWindow window(menu_.get(), nullptr);
    window.build(*menu_->Items());
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->role(), QAccessible::PopupMenu);
    ASSERT_EQ(menu->childCount(), 4);
    EXPECT_EQ(menu->child(0)->text(QAccessible::Name), QStringLiteral("视图"));
    EXPECT_TRUE(menu->child(2)->state().checked);
    EXPECT_FALSE(menu->child(3)->state().checked);
}

TEST_F(MenuWindowTest, EachWindowOpeningPlaysTheMenuPopupSoundOnce) {
    popup([](T_AM2000_MenuWindow*) {
        key(Qt::Key_Down);
        key(Qt::Key_Right);
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
    });
    EXPECT_EQ(sound_->played, (std::vector<std::string>{"menu-popup", "menu-popup"}));
}

TEST_F(MenuWindowTest, FadeAtFullOpacityEndsOnTheExactMenu) {
    menu_->Options()->Animation = anFade;
    int frames = -1;
    bool exact = false;
    popup([&](T_AM2000_MenuWindow* window) {
        waitForFade(window);
        frames = window->fadeFrames();
        exact = window->grab().toImage().convertToFormat(QImage::Format_RGB32) ==
                window->renderMenu();
        key(Qt::Key_Escape);
    });
    EXPECT_EQ(frames, 15);
    EXPECT_TRUE(exact);
}

TEST_F(MenuWindowTest, FadeAtEightyEightPercentEndsOnTheBlend) {
    menu_->Options()->Animation = anFade;
    menu_->Options()->setOpacity(88);
    int frames = -1;
    QRgb white = 0, strip = 0;
    popup([&](T_AM2000_MenuWindow* window) {
        waitForFade(window);
        frames = window->fadeFrames();
        const QImage shown = window->grab().toImage();
        white = shown.pixel(window->width() - 3, 3);
        strip = shown.pixel(1, 3);
        key(Qt::Key_Escape);
    });
    EXPECT_EQ(frames, 14);
    EXPECT_EQ(white, qRgb(224, 224, 224));  // white over black
    EXPECT_EQ(strip, qRgb(224, 0, 0));
    EXPECT_TRUE(am2000::desktop().captures().empty());  // released with the menu
}

TEST_F(MenuWindowTest, SwitchingTranslucencyOffMakesTheNextOpeningOpaque) {
    menu_->Options()->setOpacity(88);
    auto shownEqualsDrawn = [this] {
        bool equal = false;
        popup([&](T_AM2000_MenuWindow* window) {
            equal = window->grab().toImage().convertToFormat(QImage::Format_RGB32) ==
                    window->renderMenu();
            key(Qt::Key_Escape);
        });
        return equal;
    };
    EXPECT_FALSE(shownEqualsDrawn());
    menu_->Options()->setOpacity(100);
    EXPECT_TRUE(shownEqualsDrawn());
    menu_->Options()->setOpacity(250);  // brought into range
    EXPECT_EQ(menu_->Options()->Opacity(), 100);
    menu_->Options()->setOpacity(0);
    EXPECT_EQ(menu_->Options()->Opacity(), 1);
}

TEST_F(MenuWindowTest, TranslucentSubmenusSeeTheScreenAsItWasBeforeTheMenusOpened) {
    menu_->Options()->setOpacity(50);
    screen_.fill(qRgb(0, 0, 100));
    QRgb near = 0, far = 0;
    popup([&](T_AM2000_MenuWindow* root) {
        // The root menu is on the screen now: a capture that missed the cache would see it.
        screen_.fill(qRgb(255, 0, 0));
        key(Qt::Key_Down);
        key(Qt::Key_Right);
        auto* sub = qobject_cast<T_AM2000_MenuWindow*>(QApplication::activePopupWidget());
        ASSERT_NE(sub, nullptr);
        ASSERT_NE(sub, root);
        const QImage shown = sub->grab().toImage();
        // The submenu's one item is highlighted (opened from the keyboard).
        const int y = sub->height() / 2;
        near = shown.pixel(root->geometry().right() + 10 - sub->x(), y);
        far = shown.pixel(root->geometry().right() + 30 - sub->x(), y);
        key(Qt::Key_Escape);
        key(Qt::Key_Escape);
    });
    // Half of the red highlight over the blue of the first capture; beyond its 20 pixels, over
    // the red the screen showed later.
    EXPECT_EQ(near, qRgb(128, 26, 76));
    EXPECT_EQ(far, qRgb(255, 26, 26));
}

TEST_F(MenuWindowTest, ShadowWindowDarkensTheScreenBesideAndBelowTheMenu) {
    menu_->Options()->Flags = mfDropShadow;
    screen_.fill(qRgb(180, 180, 180));
    QRect menuRect, shadowRect;
    QRgb right = 0, bottom = 0;
    bool visible = false;
    popup([&](T_AM2000_MenuWindow* window) {
        am2000::T_AM2000_DropShadowForm* shadow = window->shadow();
        ASSERT_NE(shadow, nullptr);
        visible = shadow->isVisible();
        menuRect = window->geometry();
        shadowRect = shadow->geometry();
        right = shadow->rightStrip().pixel(0, shadow->height() / 2);
        bottom = shadow->bottomStrip().pixel(10, 0);
        key(Qt::Key_Escape);
    });
    EXPECT_TRUE(visible);
    EXPECT_EQ(shadowRect, menuRect.translated(4, 4));
    EXPECT_EQ(right, qRgb(100, 100, 100));    // 180 x 5 / 9, against the menu
    EXPECT_EQ(bottom, qRgb(100, 100, 100));   // (180 div 9) x 5
}

TEST_F(MenuWindowTest, WithoutScreenCapturesTheCompositorBlendsAndNoShadowIsMade) {
    refuse_ = true;
    menu_->Options()->Flags = mfDropShadow;
    menu_->Options()->Animation = anFade;
    menu_->Options()->setOpacity(88);
    bool fallback = false, shadow = true;
    double opacity = 0;
    popup([&](T_AM2000_MenuWindow* window) {
        fallback = window->usesWindowOpacity();
        shadow = window->shadow() != nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(window->fadeFrames() >= 14 && window->windowOpacity() > 0.87,
                                 3000);
        opacity = window->windowOpacity();
        key(Qt::Key_Escape);
    });
    EXPECT_TRUE(fallback);
    EXPECT_FALSE(shadow);
    EXPECT_NEAR(opacity, 0.88, 0.01);
    EXPECT_EQ(reads_, 1);  // refused once, not asked again
}

}  // namespace
