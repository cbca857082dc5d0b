// The hint balloon: placement by screen quarter, wrapping, the strip and glyph, the timings on a
// test clock, and the balloon taking over the application's tool tips.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QToolTip>
#include <QWidget>

#include "components/Colors.h"
#include "components/FlatHintLayout.h"
#include "components/TFlatHintUnit.h"
#include "platform/Fonts.h"

using namespace corvina::hint;

namespace {

const QRect kScreen(0, 0, 1024, 768);

QFont songFont() { return corvina::windowsFont(QStringLiteral("宋体"), -12); }

}  // namespace

TEST(FlatHintPlacement, EachQuarterPutsTheBoxTowardTheMiddle) {
    EXPECT_EQ(cornerFor({100, 100}, kScreen), RightBelow);
    EXPECT_EQ(cornerFor({900, 100}, kScreen), LeftBelow);
    EXPECT_EQ(cornerFor({100, 700}, kScreen), RightAbove);
    EXPECT_EQ(cornerFor({900, 700}, kScreen), LeftAbove);
    // Quarters hold their left and top edges: the middle lines belong to the right and lower ones.
    EXPECT_EQ(cornerFor({512, 100}, kScreen), LeftBelow);
    EXPECT_EQ(cornerFor({511, 100}, kScreen), RightBelow);
    EXPECT_EQ(cornerFor({100, 384}, kScreen), RightAbove);
    EXPECT_EQ(cornerFor({100, 383}, kScreen), RightBelow);
    // Off the screen: left of and above the pointer.
    EXPECT_EQ(cornerFor({-5, 100}, kScreen), LeftAbove);
    EXPECT_EQ(cornerFor({2000, 2000}, kScreen), LeftAbove);
    // A screen that does not start at the origin splits at its own middle.
    EXPECT_EQ(cornerFor({1100, 100}, QRect(1024, 0, 800, 600)), RightBelow);
}

TEST(FlatHintPlacement, GapsAreTwelveRightBelowAndFiveElsewhere) {
    const QSize box(60, 18);
    EXPECT_EQ(boxRect({100, 100}, box, RightBelow), QRect(112, 112, 60, 18));
    EXPECT_EQ(boxRect({900, 100}, box, LeftBelow), QRect(835, 105, 60, 18));
    EXPECT_EQ(boxRect({100, 700}, box, RightAbove), QRect(105, 677, 60, 18));
    EXPECT_EQ(boxRect({900, 700}, box, LeftAbove), QRect(835, 677, 60, 18));
}

TEST(FlatHintPlacement, APointerNearAnyEdgeKeepsTheBoxOnScreen) {
    const QSize box(200, 40);
    const QPoint pointers[] = {{0, 0},      {1023, 0},   {0, 767},   {1023, 767},
                               {512, 0},    {512, 767},  {0, 384},   {1023, 384},
                               {3, 300},    {1020, 300}, {600, 2},   {600, 765}};
    for (const QPoint& p : pointers) {
        const QRect r = boxRect(p, box, cornerFor(p, kScreen));
        EXPECT_TRUE(kScreen.contains(r)) << p.x() << "," << p.y();
        EXPECT_FALSE(r.contains(p)) << "the box must not cover the pointer";
    }
}

TEST(FlatHintText, WrapsAtTheWidthLimitAndNarrowsForShortHints) {
    const QFont font = songFont();
    const QString longText = QStringLiteral(
        "This is a long hint text that certainly does not fit on one line of the balloon");
    const WrappedText wrapped = wrapText(longText, font, 200 - kExtraWidth);
    EXPECT_GT(wrapped.lines.size(), 1);
    EXPECT_LE(wrapped.extent.width(), 178);
    EXPECT_EQ(wrapped.lines.join(QString()), longText);
    EXPECT_LE(boxSize(longText, font, 200).width(), 200);

    const QSize shortBox = boxSize(QStringLiteral(" 播放 "), font, 200);
    EXPECT_LT(shortBox.width(), 100);
    EXPECT_EQ(shortBox.height(), QFontMetrics(font).height() + kExtraHeight);
    // Blanks count on both sides: the box is wider than for the bare word.
    EXPECT_GT(shortBox.width(), boxSize(QStringLiteral("播放"), font, 200).width());
}

TEST(FlatHintText, ChineseAndOverlongWordsStayWithinTheLimit) {
    const QFont font = songFont();
    const QString chinese = QStringLiteral(
        "双击曲目以快速播放该曲目，或者在编辑栏中修改名称，关闭窗口时全部名称一起保存。");
    const WrappedText cjk = wrapText(chinese, font, 178);
    EXPECT_GT(cjk.lines.size(), 1);
    EXPECT_LE(cjk.extent.width(), 178);
    EXPECT_EQ(cjk.lines.join(QString()), chinese);

    const QString word(60, QLatin1Char('W'));
    const WrappedText cut = wrapText(word, font, 178);
    EXPECT_GT(cut.lines.size(), 1);
    EXPECT_LE(cut.extent.width(), 178);
}

TEST(FlatHintText, LineBreaksGiveLinesAndAmpersandsStay) {
    const QFont font = songFont();
    const WrappedText version =
        wrapText(QStringLiteral("Corvina CD 播放器 XP 4.3\r使用 4.0 版本播放引擎"), font, 178);
    EXPECT_EQ(version.lines, QStringList({QStringLiteral("Corvina CD 播放器 XP 4.3"),
                                          QStringLiteral("使用 4.0 版本播放引擎")}));
    // The marquee's hint: an empty line between the names, CR LF and LF alike.
    EXPECT_EQ(wrapText(QStringLiteral("a\r\n\r\nb\nc"), font, 178).lines,
              QStringList({"a", "", "b", "c"}));
    EXPECT_EQ(wrapText(QStringLiteral("Rock & Roll"), font, 178).lines,
              QStringList({"Rock & Roll"}));
    EXPECT_EQ(version.extent.height(), 2 * QFontMetrics(font).height());
}

TEST(FlatHintGeometry, StripAndGlyphSitInTheCornerNearestThePointer) {
    const QSize box(80, 20);
    EXPECT_EQ(stripRect(box, RightBelow), QRect(1, 1, 14, 18));
    EXPECT_EQ(textAreaRect(box, RightBelow), QRect(15, 1, 64, 18));
    EXPECT_EQ(stripRect(box, LeftAbove), QRect(65, 1, 14, 18));
    EXPECT_EQ(textAreaRect(box, LeftAbove), QRect(1, 1, 64, 18));

    EXPECT_EQ(arrowPoint(box, RightBelow), QPoint(3, 3));
    EXPECT_EQ(arrowPoint(box, LeftBelow), QPoint(76, 3));
    EXPECT_EQ(arrowPoint(box, RightAbove), QPoint(3, 16));
    EXPECT_EQ(arrowPoint(box, LeftAbove), QPoint(76, 16));

    const QPolygon upLeft = arrowPolygon(box, RightBelow);
    ASSERT_EQ(upLeft.size(), 18);
    EXPECT_EQ(upLeft[0], QPoint(3, 3));
    EXPECT_EQ(upLeft[8], QPoint(8, 10));
    // Mirrored for the other corners: x for the strip on the right, y for the box above.
    EXPECT_EQ(arrowPolygon(box, LeftBelow)[8], QPoint(71, 10));
    EXPECT_EQ(arrowPolygon(box, RightAbove)[8], QPoint(8, 9));
    EXPECT_EQ(arrowPolygon(box, LeftAbove)[8], QPoint(71, 9));
}

TEST(FlatHintTimings, PauseShortPauseAndHidePause) {
    Scheduler s;
    using A = Scheduler::Action;
    EXPECT_EQ(s.pointerOver(1, 1000), A::None);
    EXPECT_EQ(s.due(1499), A::None);
    EXPECT_EQ(s.due(1500), A::Show);
    s.shown(1500, 5000);
    EXPECT_TRUE(s.isShowing());
    // Moving within the control changes nothing.
    EXPECT_EQ(s.pointerOver(1, 2000), A::None);
    EXPECT_EQ(*s.deadline(), 6500);
    // Straight on to the next control: the old hint goes, the new one follows after 25 ms.
    EXPECT_EQ(s.pointerOver(2, 3000), A::Hide);
    EXPECT_EQ(*s.deadline(), 3025);
    EXPECT_EQ(s.due(3025), A::Show);
    s.shown(3025, 5000);
    EXPECT_EQ(s.due(8024), A::None);
    EXPECT_EQ(s.due(8025), A::Hide);
    EXPECT_FALSE(s.isShowing());
    // Hidden by time: it does not come back over the same control...
    EXPECT_EQ(s.pointerOver(2, 9000), A::None);
    EXPECT_FALSE(s.deadline());
    // ...but the next control still gets the short pause.
    s.pointerOver(3, 9100);
    EXPECT_EQ(*s.deadline(), 9125);
}

TEST(FlatHintTimings, ThePauseCountsFromThePointersLastMove) {
    Scheduler s;
    using A = Scheduler::Action;
    // Swept across the control: every move starts the pause again, so nothing shows on the way.
    s.pointerOver(1, 0);
    s.pointerOver(1, 300);
    EXPECT_EQ(s.due(500), A::None);
    s.pointerOver(1, 700);
    EXPECT_EQ(s.due(1199), A::None);
    EXPECT_EQ(s.due(1200), A::Show);  // rested 500 ms
    s.shown(1200, 5000);
    // On to the next control: the short pause, counted from the last move there too.
    EXPECT_EQ(s.pointerOver(2, 2000), A::Hide);
    s.pointerOver(2, 2020);
    EXPECT_EQ(s.due(2025), A::None);
    EXPECT_EQ(s.due(2045), A::Show);
}

TEST(FlatHintTimings, PressesAndEmptyPlacesStartAfresh) {
    Scheduler s;
    using A = Scheduler::Action;
    s.pointerOver(1, 0);
    s.due(500);
    s.shown(500, 5000);
    EXPECT_EQ(s.cancel(), A::Hide);  // a click on the button
    EXPECT_FALSE(s.deadline());
    // The same control again after the click waits the full pause.
    s.pointerOver(1, 600);
    EXPECT_EQ(*s.deadline(), 1100);
    // Off to a place without a hint before it showed: nothing shows, nothing to hide.
    EXPECT_EQ(s.pointerOver(0, 700), A::None);
    EXPECT_EQ(s.due(1100), A::None);
    s.pointerOver(2, 800);
    EXPECT_EQ(*s.deadline(), 1300);

    s.setTimings({100, 10, 1000});
    Scheduler quick;
    quick.setTimings({100, 10, 1000});
    quick.pointerOver(5, 0);
    EXPECT_EQ(*quick.deadline(), 100);
}

namespace {

class FlatHintWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        hint_ = std::make_unique<TFlatHint>();
        hint_->setColorBackground(13158655);
        hint_->setColorArrowBackground(4079359);
        hint_->setFont(songFont());
    }
    std::unique_ptr<TFlatHint> hint_;
};

}  // namespace

TEST_F(FlatHintWindowTest, PaintsFrameStripTextAreaAndGlyph) {
    TFlatHintWindow window;
    window.activateHint(QStringLiteral(" 播放 "), {100, 100}, kScreen);
    EXPECT_EQ(window.corner(), RightBelow);
    EXPECT_EQ(window.pos(), QPoint(112, 112));
    QImage image(window.size(), QImage::Format_RGB32);
    image.fill(Qt::green);
    window.renderTo(image);

    const QRgb black = qRgb(0, 0, 0);
    const int w = image.width();
    const int h = image.height();
    EXPECT_EQ(image.pixel(0, 0), black);
    EXPECT_EQ(image.pixel(w - 1, h - 1), black);
    EXPECT_EQ(image.pixel(w / 2, 0), black);
    EXPECT_EQ(image.pixel(13, h - 2), qRgb(255, 62, 62));     // strip, clear of the glyph
    EXPECT_EQ(image.pixel(w - 2, h - 2), qRgb(255, 200, 200));  // text area corner
    EXPECT_EQ(image.pixel(window.arrowPoint()), black);        // the glyph's tip
    EXPECT_EQ(window.arrowPoint(), QPoint(3, 3));
    // Text was drawn in the text area.
    int dark = 0;
    for (int y = 1; y < h - 1; ++y)
        for (int x = 18; x < w - 3; ++x) dark += qGray(image.pixel(x, y)) < 80;
    EXPECT_GT(dark, 10);
}

TEST_F(FlatHintWindowTest, StripMovesRightWhenTheBoxIsLeftOfThePointer) {
    hint_->setColorArrow(clBlue);
    TFlatHintWindow window;
    window.activateHint(QStringLiteral("x"), {1000, 700}, kScreen);
    EXPECT_EQ(window.corner(), LeftAbove);
    EXPECT_EQ(window.geometry().bottomRight() + QPoint(1, 1), QPoint(995, 695));
    QImage image(window.size(), QImage::Format_RGB32);
    window.renderTo(image);
    EXPECT_EQ(image.pixel(image.width() - 8, 4), qRgb(255, 62, 62));
    EXPECT_EQ(image.pixel(window.arrowPoint()), qRgb(0, 0, 255));  // outline in ColorArrow
    // The glyph is the up-left one turned round: same pixels, mirrored on both axes.
    TFlatHintWindow upLeft;
    upLeft.activateHint(QStringLiteral("x"), {10, 10}, kScreen);
    QImage other(upLeft.size(), QImage::Format_RGB32);
    upLeft.renderTo(other);
    const QPoint a = window.arrowPoint();
    const QPoint b = upLeft.arrowPoint();
    for (int dy = 0; dy < 8; ++dy)
        for (int dx = 0; dx < 8; ++dx)
            EXPECT_EQ(image.pixel(a.x() - dx, a.y() - dy) == qRgb(255, 62, 62),
                      other.pixel(b.x() + dx, b.y() + dy) == qRgb(255, 62, 62))
                << dx << "," << dy;
    EXPECT_EQ(image.pixel(4, 4), qRgb(255, 200, 200));
}

TEST_F(FlatHintWindowTest, TakesOverToolTipsWithTheTimingsOnATestClock) {
    qint64 now = 10000;
    TFlatHint::setClockForTesting([&now] { return now; });
    QWidget window;
    window.setGeometry(100, 100, 200, 100);
    auto* button = new QWidget(&window);
    button->setGeometry(10, 10, 40, 20);
    button->setToolTip(QStringLiteral(" 播放 "));
    auto* plain = new QWidget(&window);
    plain->setGeometry(100, 10, 40, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QTest::mouseMove(button, QPoint(20, 10));
    now += 499;
    TFlatHint::poll();
    EXPECT_TRUE(!TFlatHint::hintWindow() || !TFlatHint::hintWindow()->isVisible());
    now += 1;
    TFlatHint::poll();
    ASSERT_TRUE(TFlatHint::hintWindow());
    EXPECT_TRUE(TFlatHint::hintWindow()->isVisible());
    EXPECT_EQ(TFlatHint::hintWindow()->text(), QStringLiteral(" 播放 "));

    // Qt's own tip never shows.
    QHelpEvent help(QEvent::ToolTip, QPoint(20, 10), button->mapToGlobal(QPoint(20, 10)));
    QApplication::sendEvent(button, &help);
    EXPECT_FALSE(QToolTip::isVisible());

    // The pointer on a place without a hint ends it.
    QTest::mouseMove(plain, QPoint(5, 5));
    EXPECT_FALSE(TFlatHint::hintWindow()->isVisible());

    // OnShowHint may change the text or refuse the hint.
    hint_->OnShowHint = [](QString& text, bool& canShow, THintInfo& info) {
        canShow = text != QStringLiteral("refused");
        text += QStringLiteral("!");
        info.HideTimeout = 1000;
    };
    QTest::mouseMove(button, QPoint(21, 11));
    now += 500;
    TFlatHint::poll();
    EXPECT_EQ(TFlatHint::hintWindow()->text(), QStringLiteral(" 播放 !"));
    now += 1000;
    TFlatHint::poll();
    EXPECT_FALSE(TFlatHint::hintWindow()->isVisible());

    plain->setToolTip(QStringLiteral("refused"));
    QTest::mouseMove(plain, QPoint(6, 6));
    now += 500;
    TFlatHint::poll();
    EXPECT_FALSE(TFlatHint::hintWindow()->isVisible());
    TFlatHint::setClockForTesting({});
}
