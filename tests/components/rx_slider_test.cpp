// TRxSlider: the volume bar's geometry and value conversions, dragging, ruler presses with their
// repeat, keys, the ruler's composition and the pixels it paints.
#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "components/RXSlider.h"
#include "platform/ErrorReport.h"
#include "resources/Skin.h"
#include "tests/support/TestSupport.h"

namespace {

// The main window's volume bar, as its stored form data makes it.
struct VolumeBar {
    QWidget window;
    TRxSlider* bar = new TRxSlider(&window);
    int changes = 0;
    int dones = 0;

    VolumeBar() {
        window.resize(460, 64);
        bar->BeginLoading();
        bar->setGeometry(321, 6, 62, 12);
        bar->setColor(clBlack);
        bar->setMaxValue(65535);
        bar->setNumThumbStates(ntsOne);
        bar->setEdgeSize(0);
        bar->setOptions(soSmooth);
        bar->setImageHThumb(skin::picture(QStringLiteral("VolumeThumb")));
        bar->setImageHRuler(skin::picture(QStringLiteral("VolumeRuler")));
        bar->Loaded();
        bar->OnChange = [this](QObject*) { ++changes; };
        bar->OnChanged = [this](QObject*) { ++dones; };
    }
    void press(QPoint at) { QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, at); }
    void release(QPoint at) { QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, at); }
    void dragTo(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &move);
    }
};

}  // namespace

TEST(RxSlider, VolumeBarLayoutAndStoredProperties) {
    VolumeBar v;
    EXPECT_EQ(v.bar->UserImages(), 0x03);
    EXPECT_EQ(v.bar->Increment(), 10);
    EXPECT_EQ(v.bar->composedRuler().size(), QSize(50, 4));
    // The thumb (6 high) is taller than the ruler (4): it sits at 6,6 and the ruler is centred.
    EXPECT_EQ(v.bar->thumbRect(), QRect(6, 6, 5, 6));
    EXPECT_EQ(v.bar->rulerOrigin(), QPoint(6, 7));
}

TEST(RxSlider, PositionTableOfTheVolumeBar) {
    VolumeBar v;
    const std::pair<int, int> toPosition[] = {{0, 6},      {728, 6},      {729, 7},
                                              {32767, 28}, {32768, 29}, {65535, 51}};
    for (auto [value, x] : toPosition) EXPECT_EQ(v.bar->positionOfValue(value), x) << value;
    EXPECT_EQ(v.bar->valueOfPosition(6), 0);
    EXPECT_EQ(v.bar->valueOfPosition(7), 1456);
    EXPECT_EQ(v.bar->valueOfPosition(28), 32039);
    EXPECT_EQ(v.bar->valueOfPosition(51), 65535);
    v.bar->setValue(32768);
    EXPECT_EQ(v.bar->thumbRect().left(), 29);
}

TEST(RxSlider, ValueIsClampedAndChangesFireOnce) {
    VolumeBar v;
    v.bar->setValue(70000);
    EXPECT_EQ(v.bar->Value(), 65535);
    EXPECT_EQ(v.changes, 1);
    v.bar->setValue(65535);
    EXPECT_EQ(v.changes, 1);
    v.bar->setValue(-1);
    EXPECT_EQ(v.bar->Value(), 0);
    EXPECT_EQ(v.changes, 2);
    EXPECT_EQ(v.dones, 0);  // assignments are not user actions
}

TEST(RxSlider, DraggingOnePixelChangesByAbout1456) {
    VolumeBar v;
    v.press({8, 9});  // on the thumb at 6..11, grabbed 2 pixels in
    EXPECT_TRUE(v.bar->isSliding());
    v.dragTo({9, 9});
    EXPECT_EQ(v.bar->Value(), 1456);
    EXPECT_EQ(v.changes, 1);
    v.dragTo({200, 30});  // far past the end
    EXPECT_EQ(v.bar->Value(), 65535);
    EXPECT_EQ(v.bar->thumbRect().left(), 51);
    v.release({200, 30});
    EXPECT_FALSE(v.bar->isSliding());
    EXPECT_EQ(v.changes, 2);
    EXPECT_EQ(v.dones, 1);
}

TEST(RxSlider, WithoutSmoothTheDragSnapsToIncrements) {
    VolumeBar v;
    v.bar->setOptions(0);
    v.bar->setIncrement(1000);
    v.press({8, 9});
    v.dragTo({9, 9});
    EXPECT_EQ(v.bar->Value(), 1000);
    v.release({9, 9});
}

TEST(RxSlider, RulerPressStepsAtOnceAndEvery400msUntilReleased) {
    VolumeBar v;
    v.press({40, 9});  // right of the thumb, on the ruler
    EXPECT_TRUE(v.bar->isTracking());
    EXPECT_EQ(v.bar->Value(), 10);
    EXPECT_TRUE(v.bar->isRepeating());
    QTest::qWait(900);
    EXPECT_EQ(v.bar->Value(), 30);
    v.release({40, 9});
    EXPECT_FALSE(v.bar->isRepeating());
    EXPECT_EQ(v.dones, 1);
    QTest::qWait(450);
    EXPECT_EQ(v.bar->Value(), 30);
}

TEST(RxSlider, RulerPressStopsOnceTheThumbReachesThePointer) {
    VolumeBar v;
    v.bar->setIncrement(10000);
    v.press({20, 9});  // the thumb at 6 must pass x 20: 10000 is x 13, 20000 x 20
    EXPECT_EQ(v.bar->Value(), 10000);
    QTest::qWait(900);
    EXPECT_EQ(v.bar->Value(), 20000);  // the thumb covers the pointer now: no further steps
    v.release({20, 9});
}

TEST(RxSlider, ThreePixelBandCountsAsRulerElsewhereOnlyFocus) {
    VolumeBar v;
    v.bar->setValue(65535);
    v.changes = 0;
    v.press({20, 4});  // 3 pixels above the ruler (7..10)
    EXPECT_TRUE(v.bar->isTracking());
    EXPECT_EQ(v.bar->Value(), 65530);  // from Round(6553.5) = 6554 tens, halves to even
    v.release({20, 4});

    VolumeBar w;
    w.window.show();
    w.bar->setValue(65535);
    w.press({20, 3});  // 4 pixels above: outside the band
    EXPECT_FALSE(w.bar->isTracking());
    EXPECT_EQ(w.bar->Value(), 65535);
    w.release({20, 3});
}

TEST(RxSlider, HomeEndAndArrowKeys) {
    VolumeBar v;
    v.bar->setValue(1234);
    v.changes = 0;
    QTest::keyClick(v.bar, Qt::Key_End);
    EXPECT_EQ(v.bar->Value(), 65535);
    EXPECT_EQ(v.changes, 1);
    EXPECT_EQ(v.dones, 1);
    QTest::keyClick(v.bar, Qt::Key_End);  // already there: no change, still done
    EXPECT_EQ(v.changes, 1);
    EXPECT_EQ(v.dones, 2);
    QTest::keyClick(v.bar, Qt::Key_Home);
    EXPECT_EQ(v.bar->Value(), 0);
    QTest::keyClick(v.bar, Qt::Key_Right);
    EXPECT_EQ(v.bar->Value(), 10);
    v.bar->setValue(14);  // steps go from the nearest multiple of the increment
    QTest::keyClick(v.bar, Qt::Key_Left);
    EXPECT_EQ(v.bar->Value(), 0);
    QTest::keyClick(v.bar, Qt::Key_Up);  // not an arrow of a horizontal slider
    EXPECT_EQ(v.bar->Value(), 0);
    QTest::keyClick(v.bar, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v.bar->Value(), 0);
}

TEST(RxSlider, IncrementRangeAndEdgeSizeRules) {
    TRxSlider s;
    EXPECT_EQ(s.Increment(), 10);
    try {
        s.setIncrement(101);
        FAIL() << "no error";
    } catch (const corvina::Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Value must be between 1 and 100"));
    }
    EXPECT_THROW(s.setIncrement(0), corvina::Error);
    s.setMaxValue(0);  // not above the minimum: ignored
    EXPECT_EQ(s.MaxValue(), 100);
    s.setValue(80);
    s.setMaxValue(50);
    EXPECT_EQ(s.Value(), 50);
    s.setMaxValue(5);
    EXPECT_EQ(s.Increment(), 5);

    VolumeBar v;  // a 12-pixel ruler picture
    v.bar->setEdgeSize(6);
    EXPECT_EQ(v.bar->EdgeSize(), 0);
    v.bar->setEdgeSize(-1);
    EXPECT_EQ(v.bar->EdgeSize(), 0);
    v.bar->setEdgeSize(5);
    EXPECT_EQ(v.bar->EdgeSize(), 5);
}

TEST(RxSlider, RulerIsComposedFromBothEndsAndARepeatedMiddle) {
    // Columns 0..11 numbered by their red value.
    QImage picture(12, 1, QImage::Format_RGB32);
    for (int x = 0; x < 12; ++x) picture.setPixel(x, 0, qRgb(x * 10, 0, 0));
    auto column = [](const QImage& image, int x) { return qRed(image.pixel(x, 0)) / 10; };

    const QImage plain = rxslider::composeRuler(picture, 50, 0, false);
    ASSERT_EQ(plain.width(), 50);
    EXPECT_EQ(column(plain, 47), 11);
    EXPECT_EQ(column(plain, 48), 10);  // the last two columns of the picture
    EXPECT_EQ(column(plain, 49), 11);

    const QImage edged = rxslider::composeRuler(picture, 50, 2, false);
    EXPECT_EQ(column(edged, 0), 0);
    EXPECT_EQ(column(edged, 9), 9);
    EXPECT_EQ(column(edged, 10), 2);   // the middle (2..9) repeats
    EXPECT_EQ(column(edged, 48), 10);  // and the right edge ends the ruler
    EXPECT_EQ(column(edged, 49), 11);

    EXPECT_TRUE(rxslider::composeRuler(picture, 3, 2, false).isNull());  // too short for both ends
    // A picture too small for its edge size is tiled whole instead of failing.
    const QImage small = rxslider::composeRuler(picture.copy(0, 0, 3, 1), 7, 2, false);
    ASSERT_EQ(small.width(), 7);
    EXPECT_EQ(column(small, 3), 0);
    EXPECT_EQ(column(small, 6), 2);
}

TEST(RxSlider, PaintsTheBackgroundRulerAndKeyedThumb) {
    VolumeBar v;
    v.bar->setValue(0);
    QImage image(62, 12, QImage::Format_RGB32);
    image.fill(Qt::green);
    v.bar->renderTo(image);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));      // the control is opaque, black
    EXPECT_EQ(image.pixel(30, 8), qRgb(255, 0, 0));   // ruler: red above
    EXPECT_EQ(image.pixel(30, 9), qRgb(128, 0, 0));   // dark red
    EXPECT_EQ(image.pixel(30, 7), qRgb(0, 0, 0));     // its black rows left out
    EXPECT_EQ(image.pixel(8, 8), qRgb(255, 0, 0));    // the thumb over the ruler
    EXPECT_EQ(image.pixel(56, 8), qRgb(0, 0, 0));     // beyond the track
}

TEST(RxSlider, VerticalSliderPutsLargerValuesNearerTheTop) {
    TRxSlider s;
    s.setOrientation(soVertical);
    EXPECT_EQ(s.size(), QSize(40, 150));
    s.setValue(100);
    const int top = s.thumbRect().top();
    s.setValue(0);
    EXPECT_GT(s.thumbRect().top(), top);
    EXPECT_EQ(top, 6);
    EXPECT_EQ(s.valueOfPosition(s.thumbRect().top()), 0);
    EXPECT_EQ(s.valueOfPosition(top), 100);
    QTest::keyClick(&s, Qt::Key_Up);
    EXPECT_EQ(s.Value(), 10);
}

TEST(RxSlider, TickMarksBelowTheTrackUnlessReplaced) {
    TRxSlider s;  // the built-in look: marks shown, range 0 .. 100 in steps of 10
    QImage image(s.size(), QImage::Format_RGB32);
    s.renderTo(image);
    const QRgb ink = corvina::colorFromWin(clWindowText).rgb();
    const QRect points = s.pointsRect();
    ASSERT_GT(points.height(), 5);
    const int half = s.thumbRect().width() / 2;
    auto markLength = [&](int value) {
        const int x = s.positionOfValue(value) + half;
        int n = 0;
        while (n < points.height() && image.pixel(x, points.top() + n) == ink) ++n;
        return n;
    };
    EXPECT_EQ(markLength(0), 5);
    EXPECT_EQ(markLength(50), 3);
    EXPECT_EQ(markLength(100), 5);

    int calls = 0;
    s.OnDrawPoints = [&](QObject*, QPainter&, const QRect& r) {
        ++calls;
        EXPECT_EQ(r, points);
    };
    image.fill(Qt::white);
    s.renderTo(image);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(markLength(0), 0);
}
