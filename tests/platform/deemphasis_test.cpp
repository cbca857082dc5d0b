// The de-emphasis filter, measured from the outside: its response to sines against the analogue
// curve, DC, the two channels, reset, and a full-scale square wave.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "platform/audio/Deemphasis.h"

using corvina::audio::Deemphasis;

namespace {

constexpr double kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// The gain in dB of H(s) = (1 + s*15us) / (1 + s*50us) at `hz`.
double curveDb(double hz) {
    const std::complex<double> s(0, 2 * kPi * hz);
    return 20 * std::log10(std::abs((1.0 + s * 15e-6) / (1.0 + s * 50e-6)));
}

// A sine of `amplitude` at `hz` on the left channel (the right silent), `frames` long.
std::vector<std::int16_t> sine(double hz, double amplitude, int frames) {
    std::vector<std::int16_t> s(2 * std::size_t(frames));
    for (int i = 0; i < frames; ++i)
        s[2 * std::size_t(i)] =
            std::int16_t(std::lrint(amplitude * std::sin(2 * kPi * hz * i / kRate)));
    return s;
}

// The amplitude of the `hz` component of one channel from frame `from` on.
double amplitudeAt(const std::vector<std::int16_t>& s, int channel, double hz, int from) {
    std::complex<double> sum;
    const int frames = int(s.size() / 2);
    for (int i = from; i < frames; ++i)
        sum += double(s[2 * std::size_t(i) + channel]) * std::polar(1.0, -2 * kPi * hz * i / kRate);
    return 2 * std::abs(sum) / (frames - from);
}

TEST(Deemphasis, FollowsTheAnalogueCurve) {
    // The sweep goes on past the frequencies named for the curve, to the top of the band.
    for (double hz : {100.0, 1000.0, 3000.0, 5000.0, 7000.0, 10000.0, 13000.0, 16000.0, 20000.0}) {
        Deemphasis filter;
        auto s = sine(hz, 20000, 44100);
        const double in = amplitudeAt(s, 0, hz, 4410);
        // Fed in pieces of odd sizes, as a player hands over whatever it has.
        for (std::size_t at = 0, step = 1; at < s.size() / 2; at += step, step = step * 3 % 997)
            filter.process(s.data() + 2 * at, int(std::min(step, s.size() / 2 - at)));
        const double gain = 20 * std::log10(amplitudeAt(s, 0, hz, 4410) / in);
        EXPECT_NEAR(gain, curveDb(hz), 0.2) << hz << " Hz";
    }
    EXPECT_NEAR(curveDb(1000), -0.37, 0.005);
    EXPECT_NEAR(curveDb(5000), -4.53, 0.005);
    EXPECT_NEAR(curveDb(10000), -7.60, 0.005);
    EXPECT_NEAR(curveDb(16000), -9.04, 0.005);
}

TEST(Deemphasis, DcPassesSampleForSample) {
    for (int level : {-32768, -12345, -1, 0, 1, 777, 32767}) {
        Deemphasis filter;
        std::vector<std::int16_t> s(2 * 2000, std::int16_t(level));
        filter.process(s.data(), 2000);
        for (std::size_t i = 2 * 200; i < s.size(); ++i) ASSERT_EQ(s[i], level) << i;
    }
}

TEST(Deemphasis, ChannelsAreIndependent) {
    // A sine on the left leaves a silent right channel silent ...
    Deemphasis filter;
    auto s = sine(9000, 30000, 5000);
    filter.process(s.data(), 5000);
    for (std::size_t i = 1; i < s.size(); i += 2) ASSERT_EQ(s[i], 0) << i;
    // ... and the left comes out the same whatever the right carries.
    Deemphasis other;
    auto both = sine(9000, 30000, 5000);
    for (std::size_t i = 1; i < both.size(); i += 2)
        both[i] = std::int16_t((i * 7919) % 50000 - 25000);
    other.process(both.data(), 5000);
    for (std::size_t i = 0; i < s.size(); i += 2) ASSERT_EQ(both[i], s[i]) << i;
}

TEST(Deemphasis, ResetStartsAgainFromSilence) {
    auto input = sine(6000, 25000, 3000);
    for (std::size_t i = 1; i < input.size(); i += 2) input[i] = std::int16_t(-input[i - 1] / 2);
    Deemphasis filter;
    auto first = input;
    filter.process(first.data(), 3000);
    auto carried = input;  // without a reset the past samples still count
    filter.process(carried.data(), 3000);
    EXPECT_NE(carried, first);
    filter.reset();
    auto again = input;
    filter.process(again.data(), 3000);
    EXPECT_EQ(again, first);
}

TEST(Deemphasis, FullScaleSquareWaveDoesNotWrap) {
    // Square waves at several periods, the highest 2 samples up and 2 down; a wrapped sample
    // shows as a jump of half the range or more between two equal inputs.
    for (int half : {2, 3, 7, 50, 441}) {
        Deemphasis filter;
        std::vector<std::int16_t> in(2 * 20000);
        for (std::size_t i = 0; i < in.size(); ++i)
            in[i] = (i / 2 / std::size_t(half)) % 2 ? std::int16_t(-32768) : std::int16_t(32767);
        auto out = in;
        filter.process(out.data(), 20000);
        for (std::size_t i = 2; i < out.size(); ++i) {
            if (in[i] == in[i - 2]) {
                ASSERT_LT(std::abs(out[i] - out[i - 2]), 32768) << half << ":" << i;
            }
        }
        if (half >= 50) {
            // Long halves settle on the input's own level, the limits included.
            const std::size_t end = 2 * std::size_t(4 * half) - 2;
            EXPECT_EQ(out[end], -32768) << half;
            EXPECT_EQ(out[end - 2 * std::size_t(half)], 32767) << half;
        }
    }
}

}  // namespace
