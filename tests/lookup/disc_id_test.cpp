// Disc IDs from a TOC: MusicBrainz's documented examples, and which tracks each server counts on
// a disc with a data session.
#include <gtest/gtest.h>

#include "platform/lookup/DiscId.h"

namespace corvina::lookup {
namespace {

cd::Toc toc(const std::vector<int>& starts, int leadOut) {
    cd::Toc t;
    for (int start : starts) t.tracks.push_back({start, true, false});
    t.leadOut = leadOut;
    return t;
}

const std::vector<int> kSix = {150, 15363, 32314, 46592, 63414, 80489};

// The CDDB disc ID as the protocol defines it, worked out here independently.
QString cddbId(const std::vector<int>& starts, int leadOut) {
    int n = 0;
    for (int start : starts) {
        for (int seconds = start / 75; seconds > 0; seconds /= 10) n += seconds % 10;
    }
    const unsigned t = unsigned(leadOut / 75 - starts.front() / 75);
    const unsigned id = (unsigned(n % 255) << 24) | (t << 8) | unsigned(starts.size());
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0'));
}

TEST(DiscId, MusicBrainzExamples) {
    QString error;
    const std::optional<DiscIds> six = discIds(toc(kSix, 95462), &error);
    ASSERT_TRUE(six) << error.toStdString();
    EXPECT_EQ(six->musicBrainz, QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-"));
    EXPECT_EQ(six->freedb, QStringLiteral("3404f606"));
    EXPECT_EQ(six->toc, QStringLiteral("1 6 95462 150 15363 32314 46592 63414 80489"));
    EXPECT_EQ(six->cddbQuery, QStringLiteral("6 150 15363 32314 46592 63414 80489 1272"));
    EXPECT_EQ(six->audioTracks, 6);

    const std::optional<DiscIds> twelve = discIds(toc(
        {150, 22767, 41887, 58317, 72102, 91375, 104652, 115380, 132165, 143932, 159870, 174597},
        267257));
    ASSERT_TRUE(twelve);
    EXPECT_EQ(twelve->musicBrainz, QStringLiteral("I5l9cCSFccLKFEKS.7wqSZAorPU-"));
    EXPECT_EQ(twelve->freedb, QStringLiteral("a70de90c"));
}

TEST(DiscId, AnEnhancedCdCountsItsAudioSessionForMusicBrainzAndTheWholeDiscForCddb) {
    // The six tracks above, then a data session: its track starts 11,400 frames after the
    // audio's end.
    cd::Toc enhanced = toc(kSix, 130000);
    enhanced.tracks.push_back({95462 + 11400, false, false});
    enhanced.firstSessionEnd = 95462;
    const std::optional<DiscIds> ids = discIds(enhanced);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->musicBrainz, QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-"));
    EXPECT_EQ(ids->audioTracks, 6);
    EXPECT_EQ(ids->toc, QStringLiteral("1 6 95462 150 15363 32314 46592 63414 80489"));
    std::vector<int> all = kSix;
    all.push_back(106862);
    EXPECT_EQ(ids->freedb, cddbId(all, 130000));
    EXPECT_EQ(ids->cddbQuery, QStringLiteral("7 150 15363 32314 46592 63414 80489 106862 1733"));

    // A rip of such a disc, whose TOC tells no session end: the audio ends where the data
    // track starts.
    cd::Toc rip = toc(kSix, 120000);
    rip.tracks.push_back({95462, false, false});
    EXPECT_EQ(discIds(rip)->musicBrainz, QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-"));

    // A data track first (mixed mode) is a track like any other for both.
    cd::Toc mixed = toc(kSix, 95462);
    mixed.tracks.front().audio = false;
    EXPECT_EQ(discIds(mixed)->musicBrainz, QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-"));
}

TEST(DiscId, ATocLibdiscidRefusesIsNoDisc) {
    QString error;
    EXPECT_FALSE(discIds(toc({}, 0), &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(discIds(toc({150, 10000, 5000}, 20000), &error));  // out of order
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace corvina::lookup
