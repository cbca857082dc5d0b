#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "platform/Fonts.h"

namespace corvina {
namespace {

// Every pixel of text drawn in black on white is black or white: no smoothing.
int smoothedPixels(const QFont& font, const QString& text) {
    QImage image(200, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(2, 17, text);
    painter.end();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (c != qRgb(0, 0, 0) && c != qRgb(255, 255, 255)) ++count;
        }
    return count;
}

TEST(Fonts, SongFaceIsTheCrispBitmapFace) {
    for (const char* face : {"宋体", "SimSun"}) {
        const QFont font = windowsFont(QString::fromUtf8(face), -12);
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("WenQuanYi Bitmap Song")) << face;
        EXPECT_EQ(QFontInfo(font).pixelSize(), 12);
        EXPECT_EQ(smoothedPixels(font, QStringLiteral("正在播放... 请插入一张唱片")), 0);
    }
    // Code that names the face directly gets the same family through the substitutions.
    QFont direct(QStringLiteral("宋体"));
    direct.setPixelSize(12);
    EXPECT_EQ(QFontInfo(direct).family(), QStringLiteral("WenQuanYi Bitmap Song"));
}

TEST(Fonts, SansFitsTheLabelsItWasLaidOutFor) {
    const QFont font = windowsFont(QStringLiteral("MS Sans Serif"), -12);
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans Condensed"));
    EXPECT_EQ(smoothedPixels(font, QStringLiteral("00:00/00:00 03/12")), 0);
    const QFontMetrics metrics(font);
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("00:00/00:00")), 59);  // LabelTime
    EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("00/00")), 29);        // LabelTrack
    EXPECT_LE(metrics.height(), 13);
}

TEST(Fonts, ApplicationDefaultIsTheSongFace) {
    EXPECT_EQ(QFontInfo(QGuiApplication::font()).family(), QStringLiteral("WenQuanYi Bitmap Song"));
}

}  // namespace
}  // namespace corvina
