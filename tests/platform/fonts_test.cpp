#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRawFont>
#include <QTemporaryDir>

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

// Text set in a face loaded from a file, on the pen line the face's own ascent gives.
QImage setInFace(const QRawFont& face, const QString& text) {
    QImage image(400, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    QGlyphRun run;
    run.setRawFont(face);
    const QList<quint32> glyphs = face.glyphIndexesForString(text);
    const QList<QPointF> advances = face.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    QPointF pen;
    for (const QPointF& advance : advances) {
        positions.append(pen);
        pen += advance;
    }
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.drawGlyphRun(QPointF(2, 2 + face.ascent()), run);
    return image;
}

int inkPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(0, 0, 0);
    return count;
}

// What a fontconfig tool prints, run under the configuration `conf` (or the machine's).
QString fontconfigSays(const QString& tool, const QStringList& arguments,
                       const QByteArray& conf = {}) {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("FONTCONFIG_FILE"));
    if (!conf.isEmpty()) {
        QFile file(dir.filePath(QStringLiteral("fonts.conf")));
        if (!file.open(QIODevice::WriteOnly) || file.write(conf) < 0) return {};
        env.insert(QStringLiteral("FONTCONFIG_FILE"), file.fileName());
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(20000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString fontconfigChoice(const QByteArray& conf, const QString& pattern) {
    return fontconfigSays(QStringLiteral("fc-match"),
                          {QStringLiteral("-f"), QStringLiteral("%{file}"), pattern}, conf);
}

QByteArray embeddedConfiguration() {
    QFile embedded(QStringLiteral(":/fonts/fonts.conf"));
    return embedded.open(QIODevice::ReadOnly) ? embedded.readAll() : QByteArray();
}

#ifdef CORVINA_PACKED_SONG_FACE
const QString kPacked = QStringLiteral(CORVINA_PACKED_SONG_FACE);
const QString kOriginal = QStringLiteral(CORVINA_SONG_PCF);

TEST(Fonts, RepackedSongFaceDrawsLikeTheOriginal) {
    ASSERT_GT(QFileInfo(kPacked).size(), 0) << "the build could not repack the face";
    const QRawFont packed(kPacked, 12, QFont::PreferFullHinting);
    const QRawFont original(kOriginal, 12, QFont::PreferFullHinting);
    ASSERT_TRUE(packed.isValid());
    ASSERT_TRUE(original.isValid());
    // The line: where text sits in a label, and how far apart lines are.
    EXPECT_EQ(packed.ascent(), original.ascent());
    EXPECT_EQ(packed.descent(), original.descent());
    EXPECT_EQ(packed.leading(), original.leading());
    for (const char* text : {"正在播放... 请插入一张唱片", "曲目 01/99 标题：「无题」，歌手！",
                             " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ",
                             "[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~ 00:15/04:03",
                             "龘齉爨 ГДЖ αβγ ① ♪ ㄅㄆ ぁァ 。、·…—"}) {
        const QString line = QString::fromUtf8(text);
        const QImage want = setInFace(original, line);
        EXPECT_GT(inkPixels(want), 40) << text;
        EXPECT_TRUE(setInFace(packed, line) == want) << text;
    }
}

TEST(Fonts, RepackedSongFaceTakesThePlaceOfThePcfStrike) {
    // fontconfig sees the same face in both: a face of another weight or spacing would lose to
    // the family's 13-pixel strike when Qt matches a normal font.
    const QStringList properties{
        QStringLiteral("-f"),
        QStringLiteral("%{family} %{weight} %{slant} %{width} %{spacing} %{pixelsize}")};
    const QString original =
        fontconfigSays(QStringLiteral("fc-query"), properties + QStringList{kOriginal});
    EXPECT_FALSE(original.isEmpty());
    EXPECT_EQ(
        fontconfigSays(QStringLiteral("fc-query"), properties + QStringList{kPacked}).toStdString(),
        original.toStdString());

    // A folder name that needs escaping in the configuration file.
    QTemporaryDir root;
    const QString dir = root.filePath(QStringLiteral("a&b <fonts>"));
    ASSERT_TRUE(QDir().mkpath(dir));
    const QString face = dir + QStringLiteral("/song-12px.otb");
    ASSERT_TRUE(QFile::copy(kPacked, face));
    const QByteArray conf = fontConfiguration(embeddedConfiguration(), dir);
    const QString twelve = QStringLiteral("宋体:pixelsize=12");
    EXPECT_EQ(fontconfigChoice(conf, twelve), face);
    // The family's other strikes stay.
    EXPECT_TRUE(fontconfigChoice(conf, QStringLiteral("宋体:pixelsize=16")).contains(u".pcf"));
    // Without a repacked face the PCF strike is the one.
    EXPECT_EQ(
        QFileInfo(fontconfigChoice(fontConfiguration(embeddedConfiguration(), QString()), twelve))
            .fileName(),
        QFileInfo(kOriginal).fileName());
}
#endif

TEST(Fonts, RepackedSongFaceIsFoundBesideTheProgramOrInItsDataFolder) {
    QTemporaryDir root;
    const QDir tree(root.path());
    ASSERT_TRUE(tree.mkpath(QStringLiteral("build/fonts")));
    ASSERT_TRUE(tree.mkpath(QStringLiteral("usr/bin")));
    ASSERT_TRUE(tree.mkpath(QStringLiteral("usr/share/corvina/fonts")));
    const auto write = [&](const QString& path, const QByteArray& bytes) {
        QFile file(tree.filePath(path));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    EXPECT_EQ(packedSongFaceDir(tree.filePath(QStringLiteral("build"))), QString());
    // An empty face is the build saying it could not make one.
    ASSERT_TRUE(write(QStringLiteral("build/fonts/song-12px.otb"), QByteArray()));
    EXPECT_EQ(packedSongFaceDir(tree.filePath(QStringLiteral("build"))), QString());
    ASSERT_TRUE(write(QStringLiteral("build/fonts/song-12px.otb"), "face"));
    EXPECT_EQ(packedSongFaceDir(tree.filePath(QStringLiteral("build"))),
              QFileInfo(tree.filePath(QStringLiteral("build/fonts"))).canonicalFilePath());
    ASSERT_TRUE(write(QStringLiteral("usr/share/corvina/fonts/song-12px.otb"), "face"));
    EXPECT_EQ(
        packedSongFaceDir(tree.filePath(QStringLiteral("usr/bin"))),
        QFileInfo(tree.filePath(QStringLiteral("usr/share/corvina/fonts"))).canonicalFilePath());
    EXPECT_EQ(packedSongFaceDir(QString()), QString());
    // Without a face the compiled-in configuration goes to fontconfig unchanged.
    EXPECT_EQ(fontConfiguration(embeddedConfiguration(), QString()), embeddedConfiguration());
}

}  // namespace
}  // namespace corvina
