// The skin as the player loads it: every picture present with the size and colour depth the
// controls are laid out for, the LCD strip and the menu's title strip exactly as the displays
// expect them, and clean key colours on every keyed picture.
#include <gtest/gtest.h>

#include <QPixmap>
#include <cstdlib>
#include <set>

#include "resources/Skin.h"

namespace {

enum class Depth { Colours16, Colours256, TrueColour, Alpha };

struct Expected {
    const char* name;
    int width, height;
    Depth depth;
};

const Expected kPictures[] = {
    {"ImageBack", 460, 64, Depth::TrueColour},     {"ImagePortivo", 180, 18, Depth::TrueColour},
    {"CorvinaPlay", 19, 19, Depth::Colours16},     {"CorvinaPause", 19, 19, Depth::TrueColour},
    {"CorvinaStop", 19, 19, Depth::Colours16},     {"CorvinaPrevious", 22, 19, Depth::TrueColour},
    {"CorvinaRewind", 19, 19, Depth::TrueColour},  {"CorvinaForward", 19, 19, Depth::Colours16},
    {"CorvinaNext", 22, 19, Depth::TrueColour},    {"CorvinaEject", 19, 19, Depth::Colours16},
    {"CorvinaPortivo", 8, 5, Depth::Colours256},   {"CorvinaMinimize", 8, 5, Depth::Colours16},
    {"CorvinaClose", 9, 8, Depth::Colours16},      {"CorvinaSysTray", 16, 16, Depth::Colours256},
    {"PortivoPlay", 13, 11, Depth::Colours16},     {"PortivoPause", 13, 11, Depth::Colours16},
    {"PortivoStop", 13, 11, Depth::Colours16},     {"PortivoPrev", 13, 11, Depth::Colours16},
    {"PortivoRewind", 13, 11, Depth::Colours16},   {"PortivoForward", 13, 11, Depth::Colours16},
    {"PortivoNext", 13, 11, Depth::Colours16},     {"PortivoEject", 13, 11, Depth::Colours16},
    {"PortivoRestore", 16, 16, Depth::Colours256}, {"IconPlaying", 8, 7, Depth::Colours16},
    {"IconPaused", 8, 7, Depth::Colours16},        {"IconStopped", 8, 7, Depth::Colours16},
    {"IconDisc", 8, 6, Depth::Colours16},          {"IconMuteFalse", 10, 5, Depth::Colours16},
    {"IconMuteTrue", 10, 5, Depth::Colours16},     {"LCDDigits", 99, 13, Depth::TrueColour},
    {"VolumeThumb", 5, 6, Depth::TrueColour},      {"VolumeRuler", 12, 4, Depth::TrueColour},
    {"MenuTitle", 5, 300, Depth::TrueColour},      {"TrayIcon", 16, 16, Depth::Colours256},
    {"MAINICON", 32, 32, Depth::Colours256},       {"MAINICON16", 16, 16, Depth::Colours256},
    {"AudioCD", 32, 32, Depth::Colours256},        {"CdaFile", 32, 32, Depth::Colours256},
    {"Splash", 300, 200, Depth::Colours256},       {"AboutSide", 87, 200, Depth::Colours256},
    {"RX_HANDCUR", 32, 32, Depth::Alpha},          {"RX_DRAGCUR", 32, 32, Depth::Alpha},
};

// One picture per item of the main menu (separators have none).
const char* const kMenuItems[] = {
    "MenuViewModes",   "MenuFull",        "MenuPortivo",      "MenuMinimize",    "MenuTray",
    "MenuPlayback",    "MenuPlay",        "MenuPause",        "MenuStop",        "MenuEject",
    "MenuRewind",      "MenuForward",     "MenuPrevious",     "MenuNext",        "MenuTracks",
    "MenuSound",       "MenuLeftChannel", "MenuRightChannel", "MenuAllChannels", "MenuAllMute",
    "MenuPreferences", "MenuHelp",        "MenuManual",       "MenuAbout",       "MenuProducts",
    "MenuRestorix",    "MenuTextoria",    "MenuExit",
};

// The slider's built-in pictures: any size, but present and keyed.
const char* const kSliderPictures[] = {"W95_HTB", "W95_HRL", "W95_VTB", "W95_VRL"};

::testing::AssertionResult hasDepth(const QImage& image, Depth depth) {
    switch (depth) {
        case Depth::Colours16:
        case Depth::Colours256: {
            const int most = depth == Depth::Colours16 ? 16 : 256;
            if (image.format() == QImage::Format_Indexed8 && image.colorCount() <= most)
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "format " << image.format() << " with "
                                                 << image.colorCount() << " colours, want " << most;
        }
        case Depth::TrueColour:
            if (image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_RGB888)
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "format " << image.format();
        case Depth::Alpha:
            if (image.hasAlphaChannel()) return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure() << "no alpha channel";
    }
    return ::testing::AssertionFailure();
}

QRgb rgb(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

QStringList keyedPictures() {
    QStringList names;
    for (const Expected& e : kPictures)
        if (QString(e.name).startsWith("Corvina") || QString(e.name).startsWith("Portivo"))
            names << e.name;
    for (const char* name : kMenuItems) names << name;
    for (const char* name : kSliderPictures) names << name;
    return names;
}

TEST(Skin, EveryPictureHasItsSizeAndDepth) {
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.name);
        const QImage image = skin::picture(e.name);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(e.width, e.height));
        EXPECT_TRUE(hasDepth(image, e.depth));
    }
    for (const char* name : kMenuItems) {
        SCOPED_TRACE(name);
        const QImage image = skin::picture(name);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(16, 16));
        EXPECT_TRUE(hasDepth(
            image, QString(name) == "MenuAllMute" ? Depth::Colours256 : Depth::TrueColour));
    }
}

TEST(Skin, CarriesNoPictureNobodyAsksFor) {
    std::set<QString> known;
    for (const Expected& e : kPictures) known.insert(e.name);
    for (const char* name : kMenuItems) known.insert(name);
    for (const char* name : kSliderPictures) known.insert(name);
    const QStringList names = skin::pictureNames();
    EXPECT_EQ(std::set<QString>(names.begin(), names.end()), known);
}

// The pictures compiled in are the ones the generator painted: each equals its PNG, pixel for
// pixel and colour for colour, with the same text (a cursor's hot spot).
TEST(Skin, CompiledInPicturesAreThePaintedOnes) {
    const QStringList names = skin::pictureNames();
    ASSERT_GT(names.size(), 50);
    for (const QString& name : names) {
        SCOPED_TRACE(qPrintable(name));
        const QImage png(QStringLiteral(CORVINA_SKIN_DIR "/") + name + QStringLiteral(".png"));
        ASSERT_FALSE(png.isNull());
        const QImage image = skin::picture(name);
        EXPECT_EQ(image.format(), png.format());
        EXPECT_TRUE(image == png);
        EXPECT_EQ(image.colorTable(), png.colorTable());
        for (const QString& key : png.textKeys()) EXPECT_EQ(image.text(key), png.text(key));
    }
    // A picture drawn on is a copy: the next one asked for is as painted.
    QImage changed = skin::picture(QStringLiteral("ImageBack"));
    const QRgb painted = changed.pixel(5, 5);
    changed.setPixel(5, 5, qRgb(1, 2, 3));
    EXPECT_EQ(skin::picture(QStringLiteral("ImageBack")).pixel(5, 5), painted);
}

int consoleMessages = 0;

// Quietly: the menu asks for an icon per item and most items have none.
TEST(Skin, UnknownOrMalformedNamesGiveNoPictureQuietly) {
    consoleMessages = 0;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {
            ++consoleMessages;
        });
    EXPECT_TRUE(skin::picture("NoSuchPicture").isNull());
    EXPECT_TRUE(skin::picture("").isNull());
    EXPECT_TRUE(skin::picture("../skin/ImageBack").isNull());
    EXPECT_EQ(skin::cursor("NoSuchCursor").shape(), Qt::ArrowCursor);
    qInstallMessageHandler(previous);
    EXPECT_EQ(consoleMessages, 0);
}

// Segments shaded from RGB 226,0,0 in the top row to 255,103,103 in the bottom row on a black
// ground; cell 10 (drawn for padding) is the zero.
TEST(Skin, LcdStripIsShadedSevenSegmentDigitsOnBlack) {
    const QImage strip = skin::picture("LCDDigits");
    ASSERT_EQ(strip.size(), QSize(99, 13));
    EXPECT_EQ(rgb(strip, 0, 12), qRgb(0, 0, 0)) << "the strip's key colour gives the LCD ground";
    int top = 0, bottom = 0;
    for (int x = 0; x < 99; ++x) {
        const QRgb t = rgb(strip, x, 0), b = rgb(strip, x, 12);
        if (t != qRgb(0, 0, 0)) {
            EXPECT_EQ(t, qRgb(226, 0, 0)) << "top row, column " << x;
            ++top;
        }
        if (b != qRgb(0, 0, 0)) {
            EXPECT_EQ(b, qRgb(255, 103, 103)) << "bottom row, column " << x;
            ++bottom;
        }
    }
    EXPECT_GT(top, 0);
    EXPECT_GT(bottom, 0);
    // Every lit pixel of a row has that row's shade, and the shades brighten downwards.
    QRgb previous = qRgb(226, 0, 0);
    for (int y = 0; y < 13; ++y) {
        QRgb shade = 0;
        for (int x = 0; x < 99; ++x) {
            const QRgb c = rgb(strip, x, y);
            if (c == qRgb(0, 0, 0)) continue;
            if (shade == 0) shade = c;
            EXPECT_EQ(c, shade) << "row " << y << ", column " << x;
        }
        if (shade == 0) continue;
        EXPECT_GE(qGreen(shade), qGreen(previous)) << "row " << y;
        EXPECT_EQ(qGreen(shade), qBlue(shade)) << "row " << y;
        previous = shade;
    }
    EXPECT_EQ(strip.copy(90, 0, 9, 13), strip.copy(0, 0, 9, 13));
    std::set<QByteArray> cells;
    for (int d = 0; d < 10; ++d) {
        const QImage cell = strip.copy(d * 9, 0, 9, 13).convertToFormat(QImage::Format_RGB32);
        cells.insert(
            QByteArray(reinterpret_cast<const char*>(cell.constBits()), int(cell.sizeInBytes())));
    }
    EXPECT_EQ(cells.size(), 10u) << "every digit looks different";
}

// Read each cell back as a seven-segment display: cell k must show the digit k.
TEST(Skin, LcdStripCellsReadAsTheirDigits) {
    const QImage strip = skin::picture("LCDDigits");
    ASSERT_EQ(strip.size(), QSize(99, 13));
    // Segments a to g, sampled at their middles; the bit patterns of 0 to 9.
    const QPoint middle[7] = {{4, 0}, {8, 3}, {8, 9}, {4, 12}, {0, 9}, {0, 3}, {4, 6}};
    const int patterns[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    for (int cell = 0; cell <= 10; ++cell) {
        int lit = 0;
        for (int s = 0; s < 7; ++s)
            if (rgb(strip, cell * 9 + middle[s].x(), middle[s].y()) != qRgb(0, 0, 0)) lit |= 1 << s;
        EXPECT_EQ(lit, patterns[cell % 10]) << "cell " << cell;
    }
}

TEST(Skin, MenuTitleStripRepeatsItsFiveColours) {
    const QImage title = skin::picture("MenuTitle");
    ASSERT_EQ(title.size(), QSize(5, 300));
    const QRgb row[5] = {qRgb(255, 120, 120), qRgb(255, 33, 33), qRgb(255, 33, 33),
                         qRgb(255, 33, 33), qRgb(255, 102, 102)};
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(rgb(title, x, y), row[x]) << x << "," << y;
}

// A near-key pixel (a blend of the symbol into the key) would show as a coloured fringe.
TEST(Skin, KeyedPicturesHaveAnExactKeyAndNoFringe) {
    for (const QString& name : keyedPictures()) {
        SCOPED_TRACE(name.toStdString());
        const QImage image = skin::picture(name);
        ASSERT_FALSE(image.isNull());
        const QRgb key = name == "CorvinaPortivo" ? qRgb(255, 0, 0) : qRgb(255, 0, 255);
        EXPECT_EQ(rgb(image, 0, image.height() - 1), key);
        int shown = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = rgb(image, x, y);
                if (c == key) continue;
                ++shown;
                const int d = std::abs(qRed(c) - qRed(key)) + std::abs(qGreen(c) - qGreen(key)) +
                              std::abs(qBlue(c) - qBlue(key));
                EXPECT_GT(d, 120) << "near-key pixel at " << x << "," << y;
            }
        EXPECT_GT(shown, image.width() * image.height() / 10) << "the picture shows something";
    }
}

// The buttons drawn over their backgrounds the way the player draws them (key left out), at
// rest and pressed (one pixel right and down): no key colour may reach the screen, and every
// button must change its field.
TEST(Skin, ButtonsSitCleanlyOnTheirBackgrounds) {
    struct Button {
        const char* name;
        QRect rect;
    };
    const Button full[] = {
        {"CorvinaPlay", {151, 22, 19, 19}},   {"CorvinaPause", {178, 22, 19, 19}},
        {"CorvinaStop", {207, 22, 19, 19}},   {"CorvinaPrevious", {236, 22, 22, 19}},
        {"CorvinaRewind", {268, 22, 19, 19}}, {"CorvinaForward", {297, 22, 19, 19}},
        {"CorvinaNext", {326, 22, 22, 19}},   {"CorvinaEject", {358, 22, 19, 19}},
        {"CorvinaPortivo", {414, 2, 14, 12}}, {"CorvinaMinimize", {427, 2, 14, 12}},
        {"CorvinaClose", {440, 0, 16, 16}},   {"CorvinaSysTray", {440, 15, 16, 16}}};
    const Button compact[] = {
        {"PortivoPlay", {29, 2, 16, 15}},    {"PortivoPause", {45, 2, 16, 15}},
        {"PortivoStop", {61, 2, 16, 15}},    {"PortivoPrev", {77, 2, 16, 15}},
        {"PortivoRewind", {93, 2, 16, 15}},  {"PortivoForward", {109, 2, 16, 15}},
        {"PortivoNext", {125, 2, 16, 15}},   {"PortivoEject", {141, 2, 16, 15}},
        {"PortivoRestore", {162, 2, 16, 15}}};
    auto check = [](const char* backName, const Button* begin, const Button* end) {
        const QImage back = skin::picture(backName).convertToFormat(QImage::Format_RGB32);
        for (const Button* b = begin; b != end; ++b) {
            SCOPED_TRACE(b->name);
            const QImage pic = skin::picture(b->name).convertToFormat(QImage::Format_RGB32);
            const QRgb key = rgb(pic, 0, pic.height() - 1);
            const QPoint at = b->rect.topLeft() + QPoint((b->rect.width() - pic.width()) / 2,
                                                         (b->rect.height() - pic.height()) / 2);
            for (int pressed = 0; pressed < 2; ++pressed) {
                QImage view = back.copy();
                for (int y = 0; y < pic.height(); ++y)
                    for (int x = 0; x < pic.width(); ++x) {
                        const QPoint p = at + QPoint(x + pressed, y + pressed);
                        if (rgb(pic, x, y) != key && b->rect.contains(p))
                            view.setPixel(p, pic.pixel(x, y));
                    }
                int changed = 0;
                for (int y = b->rect.top(); y <= b->rect.bottom(); ++y)
                    for (int x = b->rect.left(); x <= b->rect.right(); ++x) {
                        const QRgb c = rgb(view, x, y);
                        EXPECT_NE(c, qRgb(255, 0, 255)) << x << "," << y;
                        EXPECT_NE(c, qRgb(255, 0, 0)) << x << "," << y;
                        changed += c != rgb(back, x, y);
                    }
                EXPECT_GT(changed, 0) << (pressed ? "pressed" : "at rest");
            }
        }
    };
    check("ImageBack", std::begin(full), std::end(full));
    check("ImagePortivo", std::begin(compact), std::end(compact));
}

TEST(Skin, VolumeBarPicturesShowRedOnAKeyedBlack) {
    const QImage ruler = skin::picture("VolumeRuler");
    for (int x = 0; x < 12; ++x) {
        EXPECT_EQ(rgb(ruler, x, 0), qRgb(0, 0, 0));
        EXPECT_EQ(rgb(ruler, x, 1), qRgb(255, 0, 0));
        EXPECT_EQ(rgb(ruler, x, 2), qRgb(128, 0, 0));
        EXPECT_EQ(rgb(ruler, x, 3), qRgb(0, 0, 0));
    }
    const QImage thumb = skin::picture("VolumeThumb");
    for (int x = 0; x < 5; ++x) EXPECT_EQ(rgb(thumb, x, 5), qRgb(0, 0, 0)) << "bottom row";
    for (QPoint corner : {QPoint(0, 0), QPoint(4, 0), QPoint(0, 4), QPoint(4, 4)})
        EXPECT_EQ(rgb(thumb, corner.x(), corner.y()), qRgb(0, 0, 0));
    EXPECT_EQ(rgb(thumb, 2, 2), qRgb(255, 0, 0));
}

// The slider's default thumbs hold two states side by side (normal, held): equal halves.
TEST(Skin, SliderThumbsHoldTwoEqualStates) {
    for (const char* name : {"W95_HTB", "W95_VTB"}) {
        const QImage thumb = skin::picture(name);
        ASSERT_EQ(thumb.width() % 2, 0) << name;
        const QImage normal = thumb.copy(0, 0, thumb.width() / 2, thumb.height());
        const QImage held = thumb.copy(thumb.width() / 2, 0, thumb.width() / 2, thumb.height());
        EXPECT_NE(normal, held) << name << ": the held thumb looks different";
    }
}

// The displays and opaque icons are drawn over these fields: a hidden icon or an empty LCD
// must leave the same black the control itself paints.
TEST(Skin, DisplayFieldsOfTheBackgroundAreBlack) {
    const QImage back = skin::picture("ImageBack");
    const QRect fields[] = {{32, 10, 8, 7},    {32, 27, 8, 6},   {49, 8, 24, 17},
                            {81, 8, 24, 17},   {110, 8, 24, 17}, {122, 29, 10, 5},
                            {144, 6, 177, 12}, {321, 6, 62, 12}};
    const QRect colon(106, 8, 1, 17);  // the colon between minutes and seconds
    for (const QRect& r : fields)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                if (colon.contains(x, y)) continue;
                ASSERT_EQ(rgb(back, x, y), qRgb(0, 0, 0)) << x << "," << y;
            }
    for (const char* icon :
         {"IconPlaying", "IconPaused", "IconStopped", "IconDisc", "IconMuteFalse", "IconMuteTrue"})
        EXPECT_EQ(rgb(skin::picture(icon), 0, 0), qRgb(0, 0, 0)) << icon;
}

TEST(Skin, IconsAndCursorsAreUsable) {
    const QIcon icon = skin::mainIcon();
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    for (const char* name : {"TrayIcon", "MAINICON", "AudioCD", "CdaFile"})
        EXPECT_EQ(qAlpha(skin::picture(name).pixel(0, 0)), 0) << name << ": transparent corner";

    for (const char* name : {"RX_HANDCUR", "RX_DRAGCUR"}) {
        SCOPED_TRACE(name);
        const QCursor cursor = skin::cursor(name);
        ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
        const QPoint spot = cursor.hotSpot();
        const QImage image = skin::picture(name);
        ASSERT_TRUE(image.rect().contains(spot));
        EXPECT_EQ(qAlpha(image.pixel(spot)), 255) << "the hot spot is on the hand";
    }
}

}  // namespace
