// CD-format WAV files read without libsndfile: the same samples and names as libsndfile gives,
// and everything less plain left to it.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/cd/CdWave.h"
#include "platform/cd/DiscImage.h"
#include "platform/cd/DiscNames.h"
#include "tests/support/TestSupport.h"

using namespace corvina::cd;

namespace {

using corvina::test::putLe;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

QByteArray chunk(const char* id, const QByteArray& body) {
    QByteArray out(id, 4);
    putLe(out, quint32(body.size()), 4);
    out += body;
    if (body.size() % 2) out += '\0';
    return out;
}

// A RIFF file of these chunks; `riffSize` -1 for the true size.
QByteArray riff(const QByteArray& chunks, qint64 riffSize = -1) {
    QByteArray out("RIFF");
    putLe(out, quint32(riffSize < 0 ? 4 + chunks.size() : riffSize), 4);
    return out + "WAVE" + chunks;
}

QByteArray format(int tag = 1, int channels = 2, int rate = 44100, int bits = 16) {
    return corvina::test::wavFormat(tag, channels, rate, bits);
}

QByteArray samples(int frames, int from = 0) {
    QByteArray out;
    for (int i = 0; i < 2 * frames; ++i) putLe(out, quint16(from + i), 2);
    return out;
}

class CdWaveTest : public ::testing::Test, public corvina::test::TempFolder {
protected:
    std::optional<CdWave> read(const QString& name) {
        const std::unique_ptr<std::FILE, FileCloser> file(
            std::fopen(QFile::encodeName(path(name)).constData(), "rb"));
        return readCdWave(file.get(), QFileInfo(path(name)).size());
    }
    // Writes `frames` counting stereo frames with libsndfile, in `format`, with these names.
    void writeWithSndfile(const QString& name, int format, int frames, const char* title,
                          const char* artist, const char* album) {
        SF_INFO info{};
        info.samplerate = 44100;
        info.channels = 2;
        info.format = format;
        SNDFILE* file = sf_open(QFile::encodeName(path(name)).constData(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        if (title) sf_set_string(file, SF_STR_TITLE, title);
        if (artist) sf_set_string(file, SF_STR_ARTIST, artist);
        if (album) sf_set_string(file, SF_STR_ALBUM, album);
        std::vector<short> data(2 * std::size_t(frames));
        for (std::size_t i = 0; i < data.size(); ++i) data[i] = short(i * 7);
        sf_writef_short(file, data.data(), frames);
        sf_close(file);
    }
};

TEST_F(CdWaveTest, GivesTheSamplesAndNamesLibsndfileGives) {
    struct Case {
        int frames;
        const char* title;
        const char* artist;
        const char* album;
    };
    const Case cases[] = {
        {588, nullptr, nullptr, nullptr},
        {588 * 3 + 17, "Odd", "Even", "A much longer album name of odd length!"},
        {1, "第一首", "鸦林小乐队", "测试唱片"},
        {1000, "\xB5\xDA\xD2\xBB\xCA\xD7", nullptr, "x"},  // GBK bytes, as a Windows tagger
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const QString name = QStringLiteral("%1.wav").arg(n++);
        writeWithSndfile(name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, c.frames, c.title, c.artist,
                         c.album);
        const std::optional<CdWave> wave = read(name);
        ASSERT_TRUE(wave);

        SF_INFO info{};
        SNDFILE* file = sf_open(QFile::encodeName(path(name)).constData(), SFM_READ, &info);
        ASSERT_NE(file, nullptr);
        auto tag = [&](int which) {
            const char* value = sf_get_string(file, which);
            return std::string(value ? value : "");
        };
        EXPECT_EQ(wave->frames, info.frames);
        EXPECT_EQ(wave->title, tag(SF_STR_TITLE));
        EXPECT_EQ(wave->artist, tag(SF_STR_ARTIST));
        EXPECT_EQ(wave->album, tag(SF_STR_ALBUM));
        std::vector<short> expected(2 * std::size_t(info.frames));
        sf_readf_short(file, expected.data(), info.frames);
        sf_close(file);

        QFile raw(path(name));
        ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
        raw.seek(wave->dataOffset);
        const QByteArray bytes = raw.read(4 * wave->frames);
        ASSERT_EQ(bytes.size(), qsizetype(4 * wave->frames));
        EXPECT_EQ(std::memcmp(bytes.constData(), expected.data(), std::size_t(bytes.size())), 0);
    }
}

TEST_F(CdWaveTest, LeavesEverythingLessPlainToLibsndfile) {
    const QByteArray fmt = chunk("fmt ", format());
    const QByteArray data = chunk("data", samples(588));
    const QByteArray info = chunk("LIST", "INFO" + chunk("INAM", "name"));
    const std::pair<const char*, QByteArray> others[] = {
        {"mono", riff(chunk("fmt ", format(1, 1)) + data)},
        {"48 kHz", riff(chunk("fmt ", format(1, 2, 48000)) + data)},
        {"24-bit", riff(chunk("fmt ", format(1, 2, 44100, 24)) + data)},
        {"float", riff(chunk("fmt ", format(3, 2, 44100, 32)) + data)},
        {"extensible", riff(chunk("fmt ", format(0xFFFE)) + data)},
        {"sizes never filled in", riff(fmt + data, 0)},
        {"samples before their format", riff(data + fmt)},
        {"two formats", riff(fmt + fmt + data)},
        {"no samples", riff(fmt + chunk("data", ""))},
        {"cut in its format", riff(fmt).left(30)},
        {"ID3 tags", riff(fmt + data + chunk("id3 ", "ID3\x04"))},
        {"a name twice", riff(fmt + info + data + info)},
        {"a long name",
         riff(fmt + chunk("LIST", "INFO" + chunk("INAM", QByteArray(300, 'a'))) + data)},
        {"a name past its list",
         riff(fmt + chunk("LIST", "INFO" + chunk("INAM", "abc").left(9)) + data)},
        {"not a WAV", "RIFX" + riff(fmt + data).mid(4)},
    };
    for (const auto& [what, bytes] : others) {
        write("other.wav", bytes);
        EXPECT_FALSE(read("other.wav")) << what;
    }
    write("plain.wav", riff(fmt + info + data));
    const std::optional<CdWave> plain = read("plain.wav");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->title, "name");
    EXPECT_EQ(plain->frames, 588);
}

TEST_F(CdWaveTest, APlayedFileStopsAtItsSamplesNotAtItsEnd) {
    // 1.5 sectors of samples, then names and an odd byte of padding: the second half of the last
    // sector is silence, not the names read as sound.
    QDir().mkpath(path("rip"));
    write("rip/1.wav", riff(chunk("fmt ", format()) + chunk("data", samples(882, 1)) +
                            chunk("LIST", "INFO" + chunk("IART", "鸦林"))));
    QString error;
    auto disc = loadDiscImage(path("rip"), error);
    ASSERT_TRUE(disc) << error.toStdString();
    EXPECT_EQ(disc->toc().leadOut - disc->toc().trackStart(1), 2);
    std::vector<std::int16_t> s(2 * kSamplesPerSector);
    ASSERT_TRUE(disc->readSector(151, s.data()));
    EXPECT_EQ(s[0], 2 * 588 + 1);
    EXPECT_EQ(s[2 * 293 + 1], 2 * 881 + 2);
    EXPECT_EQ(std::count(s.begin() + 2 * 294, s.end(), 0), 2 * 294);
    EXPECT_EQ(namesFromText(disc->cdText()).artist, QStringLiteral("鸦林"));
}

}  // namespace
