// TSuperButton: picture placement and keying, and the press, release and click rules.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QWidget>

#include "components/SuperButton.h"
#include "platform/ErrorReport.h"
#include "tests/support/TestSupport.h"

namespace {

const QRgb kMagenta = qRgb(255, 0, 255);
const QRgb kSkin = qRgb(40, 80, 120);
const QRgb kInk = qRgb(10, 200, 30);

// A picture of `key` with a solid `ink` block inside a one-pixel key-coloured border.
QImage picture(int w, int h, QRgb key = kMagenta, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(key);
    for (int y = 1; y < h - 1; ++y)
        for (int x = 1; x < w - 1; ++x) image.setPixel(x, y, kInk);
    return image.convertToFormat(format);
}

QImage render(TSuperButton& button) {
    QImage image(button.width() + 4, button.height() + 4, QImage::Format_RGB32);
    image.fill(kSkin);
    button.renderTo(image);
    return image;
}

// The bounding box of the picture's ink in a rendered button.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == kInk) box |= QRect(x, y, 1, 1);
    return box;
}

TSuperButton* mainWindowButton(QWidget* parent, QRect geometry, const QImage& bitmap) {
    auto* button = new TSuperButton(parent);
    button->setStyle(bsNone);
    button->setGeometry(geometry);
    button->setBitmap(bitmap);
    return button;
}

}  // namespace

TEST(SuperButton, PictureIsCentredKeyedAndShiftedWhilePressed) {
    QWidget window;
    window.resize(460, 64);
    auto* close = mainWindowButton(&window, QRect(440, 0, 16, 16),
                                   picture(9, 8, kMagenta, QImage::Format_Indexed8));
    int clicks = 0;
    QImage duringClick;
    close->OnClick = [&](QObject*) {
        ++clicks;
        EXPECT_TRUE(close->isPressed());
        duringClick = render(*close);
    };
    QImage image = render(*close);
    EXPECT_EQ(close->imageRect(), QRect(3, 4, 9, 8));
    EXPECT_EQ(inkBox(image), QRect(4, 5, 7, 6));
    EXPECT_EQ(image.pixel(3, 4), kSkin);  // key colour left out
    EXPECT_EQ(image.pixel(0, 0), kSkin);  // bsNone: no frame

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, {}, QPoint(447, 8));
    EXPECT_TRUE(close->isPressed());
    EXPECT_EQ(inkBox(render(*close)), QRect(5, 6, 7, 6));
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, {}, QPoint(447, 8));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(inkBox(duringClick), QRect(5, 6, 7, 6));  // the click ran while drawn pressed
    EXPECT_FALSE(close->isPressed());
    EXPECT_EQ(inkBox(render(*close)), QRect(4, 5, 7, 6));
}

TEST(SuperButton, TooLargePictureIsPlacedAtTheOriginAndClipped) {
    TSuperButton button;
    button.setStyle(bsNone);
    button.resize(16, 15);
    QImage bitmap = picture(16, 16);
    for (int x = 0; x < 16; ++x) bitmap.setPixel(x, 15, kInk);  // bottom row would be drawn
    bitmap.setPixel(0, 15, kMagenta);                           // keep the key colour
    button.setBitmap(bitmap);
    const QImage image = render(button);
    EXPECT_EQ(button.imageRect(), QRect(0, 0, 16, 16));
    EXPECT_EQ(inkBox(image), QRect(1, 1, 14, 14));
}

TEST(SuperButton, OnlyExactKeyColourPixelsAreLeftOut) {
    TSuperButton button;
    button.setStyle(bsNone);
    button.resize(14, 12);
    QImage bitmap = picture(8, 5, qRgb(255, 0, 0), QImage::Format_Indexed8);
    bitmap = bitmap.convertToFormat(QImage::Format_RGB32);
    bitmap.setPixel(3, 0, kMagenta);
    bitmap.setPixel(4, 0, qRgb(254, 0, 0));
    button.setBitmap(bitmap.convertToFormat(QImage::Format_Indexed8));
    const QImage image = render(button);
    EXPECT_EQ(button.imageRect().topLeft(), QPoint(3, 3));
    EXPECT_EQ(image.pixel(3 + 3, 3), kMagenta);
    EXPECT_EQ(image.pixel(3 + 4, 3), qRgb(254, 0, 0));
    EXPECT_EQ(image.pixel(3 + 2, 3), kSkin);
    EXPECT_EQ(image.pixel(3, 3 + 4), kSkin);
}

TEST(SuperButton, ReleaseOutsideAndDoubleClicksGiveNoExtraClick) {
    QWidget window;
    window.resize(200, 60);
    auto* play = mainWindowButton(&window, QRect(29, 2, 16, 15), picture(13, 11));
    int clicks = 0, downs = 0, ups = 0;
    play->OnClick = [&](QObject* sender) {
        EXPECT_EQ(sender, play);
        ++clicks;
    };
    play->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        ++downs;
    };
    play->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QWindow* handle = window.windowHandle();

    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(35, 8));
    QTest::mouseMove(handle, QPoint(120, 40));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(120, 40));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);
    EXPECT_FALSE(play->isPressed());
    EXPECT_EQ(inkBox(render(*play)).topLeft(), QPoint(2, 3));

    QTest::mouseDClick(handle, Qt::LeftButton, {}, QPoint(35, 8));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(play->isPressed());

    // A handler that fails is reported, once; the button is released all the same.
    corvina::test::ErrorCapture errors;
    play->OnClick = [](QObject*) { throw corvina::Error(QStringLiteral("boom")); };
    QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(35, 8));
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("boom")});
    EXPECT_FALSE(play->isPressed());
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("boom")});
}
