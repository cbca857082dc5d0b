// The splash window and the About box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/Picture.h"
#include "forms/About.h"
#include "forms/Splash.h"
#include "platform/shell/FakeDesktop.h"
#include "tests/support/TestSupport.h"

namespace {

corvina::shell::FakeDesktop* installFakeDesktop() {
    auto shell = std::make_unique<corvina::shell::FakeDesktop>();
    corvina::shell::FakeDesktop* fake = shell.get();
    corvina::shell::setDesktop(std::move(shell));
    return fake;
}

QRgb colorOf(const QLabel* label) { return label->palette().color(QPalette::WindowText).rgb(); }

}  // namespace

TEST(Splash, SizesItselfToItsPictureAndRunsItsTimer) {
    TFormSplash splash;
    EXPECT_EQ(splash.size(), QSize(300, 200));
    EXPECT_EQ(splash.ImageSplash->geometry(), QRect(0, 0, 300, 200));
    EXPECT_FALSE(splash.ImageSplash->Picture().isNull());
    EXPECT_EQ(splash.ImageSplash->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(splash.TimerSplash->interval(), 3000);
    EXPECT_TRUE(splash.TimerSplash->isActive());
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
}

TEST(Splash, EndsByItselfWhenTheTimerTicks) {
    TFormSplash splash;
    splash.TimerSplash->setInterval(30);  // stands in for the 3 seconds
    QElapsedTimer clock;
    clock.start();
    splash.exec();
    EXPECT_GE(clock.elapsed(), 25);
    EXPECT_FALSE(splash.TimerSplash->isActive());
    EXPECT_FALSE(splash.isVisible());
}

TEST(Splash, AClickOnThePictureOrTheWindowEndsItAtOnce) {
    for (bool onPicture : {true, false}) {
        TFormSplash splash;
        QTimer::singleShot(10, &splash, [&] {
            QWidget* target = onPicture ? static_cast<QWidget*>(splash.ImageSplash) : &splash;
            if (!onPicture) splash.ImageSplash->hide();  // so the click reaches the window
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(150, 100));
        });
        QElapsedTimer clock;
        clock.start();
        splash.exec();
        EXPECT_LT(clock.elapsed(), 2000) << onPicture;
        EXPECT_FALSE(splash.TimerSplash->isActive());
    }
}

TEST(About, HoldsItsControlsWithTheWhiteCopiesBeneath) {
    TFormAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("关于"));
    EXPECT_EQ(about.size(), QSize(369, 220));
    EXPECT_EQ(about.Label10->geometry(), QRect(152, 16, 128, 12));
    EXPECT_EQ(about.Label5->geometry(), QRect(153, 17, 128, 12));
    EXPECT_EQ(about.Label10->text(), QStringLiteral("Corvina CD 播放器 XP"));
    EXPECT_EQ(about.Label12->text().split('\n').size(), 4);
    EXPECT_TRUE(about.Label12->text().startsWith(QStringLiteral("版本 4.3  (2002.8.3)\n\n")));
    // Each copy has its label's text, in white and bold, and lies beneath it.
    const std::pair<QLabel*, QLabel*> pairs[] = {{about.Label5, about.Label10},
                                                 {about.Label6, about.Label12},
                                                 {about.Label7, about.LabelHome},
                                                 {about.Label9, about.LabelEMail}};
    const QObjectList order = about.children();
    for (const auto& [copy, label] : pairs) {
        EXPECT_EQ(copy->text(), label->text());
        EXPECT_EQ(copy->pos(), label->pos() + QPoint(1, 1));
        EXPECT_EQ(colorOf(copy), qRgb(255, 255, 255));
        EXPECT_TRUE(copy->font().bold());
        EXPECT_TRUE(label->font().bold());
        EXPECT_LT(order.indexOf(copy), order.indexOf(label));
    }
    EXPECT_EQ(colorOf(about.Label10), qRgb(255, 0, 0));
    EXPECT_TRUE(about.LabelHome->text().startsWith(QStringLiteral("网站：")));
    EXPECT_TRUE(about.LabelEMail->text().startsWith(QStringLiteral("电子邮件：")));
    EXPECT_EQ(about.Image1->Picture().size(), QSize(87, 200));
    EXPECT_EQ(about.Image4->Picture().size(), QSize(32, 32));
    EXPECT_TRUE(about.ButtonClose->isDefault());
    EXPECT_EQ(about.ButtonClose->text(), QStringLiteral("确定"));
}

TEST(About, LinksUnderlineInRedAndComeBackPlainBlack) {
    TFormAbout about;
    about.show();
    for (QLabel* link : {about.LabelHome, about.LabelEMail}) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(link, &enter);
        EXPECT_TRUE(link->font().underline());
        EXPECT_FALSE(link->font().bold());
        EXPECT_EQ(colorOf(link), qRgb(255, 0, 0));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_FALSE(link->font().underline());
        EXPECT_FALSE(link->font().bold());  // no longer bold after the first visit
        EXPECT_EQ(colorOf(link), qRgb(0, 0, 0));
    }
    // The white copies beneath keep their looks.
    EXPECT_TRUE(about.Label7->font().bold());
    EXPECT_FALSE(about.Label7->font().underline());
    EXPECT_EQ(colorOf(about.Label7), qRgb(255, 255, 255));
}

namespace {

bool dark(QRgb pixel) {
    return qGray(pixel) < 80;
}
bool red(QRgb pixel) {
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

// How far below its baseline `text` reaches in `font`, drawn with nothing to cut it.
int inkBelowBaseline(const QString& text, QFont font) {
    font.setBold(false);
    font.setUnderline(false);
    QImage image(400, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(0, 30), text);
    painter.end();
    int lowest = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (dark(image.pixel(x, y))) lowest = y;
    return lowest - 30;
}

// The lowest row of the box (in the box's coordinates) holding a pixel that `ink` accepts, and
// the longest unbroken run of such pixels on a row: an underline is a run as long as the text.
struct Ink {
    int lowest = -1;
    int longestRun = 0;
};
Ink inkIn(const QImage& image, const QRect& box, bool (*ink)(QRgb)) {
    Ink found;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        int run = 0;
        for (int x = box.left(); x <= box.right(); ++x) {
            run = ink(image.pixel(x, y)) ? run + 1 : 0;
            if (run > 0) found.lowest = y - box.top();
            found.longestRun = std::max(found.longestRun, run);
        }
    }
    return found;
}

}  // namespace

TEST(About, LinksShowEveryGlyphWholeAndTheirUnderlineWhileHovered) {
    TFormAbout about;
    about.show();
    for (QLabel* link : {about.LabelHome, about.LabelEMail}) {
        const QFontMetrics metrics(link->font());
        const int baseline = metrics.ascent();
        const int textWidth = metrics.horizontalAdvance(link->text());
        const int descent = inkBelowBaseline(link->text(), link->font());
        ASSERT_GT(descent, 0) << "the text has letters that reach below the line";
        // The link's rows and those just below, where a cut-off descender would be missing (16
        // rows at most: the next link starts there).
        const QRect box(link->x(), link->y(), textWidth, std::min(baseline + descent + 3, 16));

        const Ink plain = inkIn(about.grab().toImage(), box, dark);
        EXPECT_EQ(plain.lowest, baseline + descent) << "descenders cut";
        EXPECT_LT(plain.longestRun, textWidth / 2) << "an underline before the pointer came";

        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(link, &enter);
        const Ink hovered = inkIn(about.grab().toImage(), box, red);
        EXPECT_GE(hovered.longestRun, textWidth * 9 / 10) << "no underline while hovered";
        EXPECT_GE(hovered.lowest, baseline) << "the underline sits below the line";

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        const Ink after = inkIn(about.grab().toImage(), box, dark);
        EXPECT_LT(after.longestRun, textWidth / 2) << "the underline stayed";
        EXPECT_EQ(after.lowest, baseline + descent);
        EXPECT_EQ(inkIn(about.grab().toImage(), box, red).longestRun, 0);
    }
}

TEST(About, LinksOpenThroughTheDesktopAndAFailureIsReported) {
    corvina::shell::FakeDesktop* shell = installFakeDesktop();
    corvina::test::ErrorCapture errors;
    TFormAbout about;
    about.show();
    QTest::mousePress(about.LabelHome, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(about.LabelEMail, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(shell->requests,
              QStringList({QStringLiteral("open ") + TFormAbout::HomePage,
                           QStringLiteral("open mailto:") + TFormAbout::SupportMail}));
    EXPECT_TRUE(errors.messages().isEmpty());

    shell->refuseUrls = true;
    QTest::mousePress(about.LabelEMail, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(errors.messages().size(), 1);
    EXPECT_TRUE(errors.messages()[0].contains(TFormAbout::SupportMail));
    EXPECT_TRUE(about.isVisible());
    corvina::shell::setDesktop(nullptr);
}

TEST(About, CloseButtonEnterAndEscCloseIt) {
    for (int way = 0; way < 3; ++way) {
        TFormAbout about;
        QTimer::singleShot(10, &about, [&] {
            if (way == 0) QTest::mouseClick(about.ButtonClose, Qt::LeftButton);
            if (way == 1) QTest::keyClick(&about, Qt::Key_Return);
            if (way == 2) QTest::keyClick(&about, Qt::Key_Escape);
        });
        QTimer::singleShot(3000, &about, [&] { about.done(99); });  // a safety net
        EXPECT_NE(about.exec(), 99) << way;
    }
}
