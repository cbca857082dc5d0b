#include "platform/cd/DemoDisc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace corvina::cd {
namespace {

constexpr double kRate = 44100.0;
constexpr double kTwoPi = 6.283185307179586;

enum class Timbre { Pluck, Bell, Organ, Marimba };

struct Chord {
    int root;  // MIDI note
    bool minor;
};

// One piece: a four-chord progression, one chord a bar, with bass, a pad, an arpeggio and an
// optional melody, ending on a held tonic bar that fades out.
struct Piece {
    const char* title;
    double bpm;
    int beatsPerBar;
    int bars;  // the closing bar included
    std::array<Chord, 4> chords;
    int bassBeats;   // beats per bass note
    int arpPerBeat;  // arpeggio notes per beat (0: none)
    Timbre arpTimbre;
    bool arpSkipsDownbeat;  // a waltz leaves beat one to the bass
    bool melody;            // a bell line on the beats
    double padLevel;
    unsigned seed;
};

constexpr std::array<Piece, 4> kPieces = {{
    {"晨光",
     96,
     4,
     17,
     {{{60, false}, {55, false}, {57, true}, {53, false}}},
     1,
     2,
     Timbre::Pluck,
     false,
     false,
     0.05,
     11},
    {"钟声",
     72,
     4,
     11,
     {{{62, true}, {58, false}, {53, false}, {60, false}}},
     2,
     1,
     Timbre::Organ,
     false,
     true,
     0.07,
     23},
    {"圆舞曲",
     150,
     3,
     21,
     {{{53, false}, {62, true}, {58, false}, {60, false}}},
     3,
     2,
     Timbre::Marimba,
     true,
     false,
     0.035,
     37},
    {"黄昏",
     110,
     4,
     15,
     {{{57, true}, {53, false}, {60, false}, {55, false}}},
     1,
     4,
     Timbre::Organ,
     false,
     true,
     0.04,
     51},
}};

double midiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

// The chord's notes from the bottom: root, third, fifth, octave, tenth.
int chordTone(const Chord& chord, int index) {
    static constexpr int kMajor[] = {0, 4, 7, 12, 16, 19};
    static constexpr int kMinor[] = {0, 3, 7, 12, 15, 19};
    return chord.root + (chord.minor ? kMinor : kMajor)[index % 6];
}

unsigned hash(unsigned a, unsigned b) {
    unsigned h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u);
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// Rises from silence in a few milliseconds and returns to it by the end of the note, so notes
// join without clicks.
double edges(double t, double length, double attack, double release) {
    if (t < 0 || t >= length) return 0;
    return std::min({1.0, t / attack, (length - t) / release});
}

double tone(Timbre timbre, double hz, double t, double length) {
    const double w = kTwoPi * hz * t;
    switch (timbre) {
        case Timbre::Pluck:
            return edges(t, length, 0.004, 0.02) *
                   (std::sin(w) * std::exp(-t * 3.0) + 0.4 * std::sin(2 * w) * std::exp(-t * 6.0) +
                    0.15 * std::sin(3 * w) * std::exp(-t * 9.0));
        case Timbre::Bell:
            return edges(t, length, 0.003, 0.05) * (std::sin(w) * std::exp(-t * 1.2) +
                                                    0.35 * std::sin(2.76 * w) * std::exp(-t * 2.5) +
                                                    0.06 * std::sin(5.4 * w) * std::exp(-t * 6.0));
        case Timbre::Organ: {
            const double vibrato = 1.0 + 0.003 * std::sin(kTwoPi * 5.0 * t);
            return edges(t, length, 0.02, 0.06) *
                   (std::sin(w * vibrato) + 0.3 * std::sin(2 * w * vibrato) +
                    0.12 * std::sin(3 * w * vibrato)) *
                   0.6;
        }
        case Timbre::Marimba:
            return edges(t, length, 0.002, 0.02) * (std::sin(w) * std::exp(-t * 5.0) +
                                                    0.25 * std::sin(4 * w) * std::exp(-t * 14.0));
    }
    return 0;
}

struct StereoSample {
    double left = 0;
    double right = 0;
    void add(double value, double pan) {  // pan -1 (left) .. 1 (right)
        left += value * (1 - pan) * 0.5;
        right += value * (1 + pan) * 0.5;
    }
};

StereoSample renderPiece(const Piece& p, double t) {
    StereoSample out;
    const double beat = 60.0 / p.bpm;
    const double barLength = beat * p.beatsPerBar;
    const double total = barLength * p.bars;
    if (t < 0 || t >= total) return out;
    const int bar = static_cast<int>(t / barLength);
    const bool coda = bar == p.bars - 1;
    const Chord chord = coda ? p.chords[0] : p.chords[static_cast<std::size_t>(bar % 4)];
    const double inBar = t - bar * barLength;

    // Pad: the chord held over the bar, a little apart in the two channels.
    for (int i = 0; i < 3; ++i) {
        const double hz = midiToHz(chordTone(chord, i));
        const double env = edges(inBar, barLength, 0.25, 0.25);
        out.left += p.padLevel * env * std::sin(kTwoPi * hz * 0.998 * t);
        out.right += p.padLevel * env * std::sin(kTwoPi * hz * 1.002 * t);
    }

    // Bass: the root two octaves down; the closing bar holds it.
    const double bassLength = coda ? barLength : beat * p.bassBeats;
    const double inBass = std::fmod(inBar, bassLength);
    const int bassStep = static_cast<int>(inBar / bassLength);
    const double bassHz = midiToHz(chord.root - 24 + (bassStep % 2 == 1 ? 7 : 0));
    const double bw = kTwoPi * bassHz * inBass;
    out.add(0.32 * edges(inBass, bassLength, 0.006, 0.03) * std::exp(-inBass * 1.5) *
                (std::sin(bw) + 0.25 * std::sin(2 * bw)),
            0.0);

    if (coda) {
        // A last chord struck once and left to ring.
        for (int i = 0; i < 3; ++i) {
            out.add(0.12 * tone(p.arpTimbre, midiToHz(chordTone(chord, i) + 12), inBar, barLength),
                    -0.4 + 0.4 * i);
        }
    } else if (p.arpPerBeat > 0) {
        const double step = beat / p.arpPerBeat;
        const int index = static_cast<int>(inBar / step);
        const double inStep = inBar - index * step;
        const bool silent = p.arpSkipsDownbeat && index < p.arpPerBeat;
        if (!silent) {
            // Up and down the chord, an octave up.
            static constexpr int kPattern[] = {0, 1, 2, 3, 4, 3, 2, 1};
            const int note = chordTone(chord, kPattern[index % 8]) + 12;
            const double pan = -0.45 + 0.1 * (index % 4);
            const double level = p.arpTimbre == Timbre::Marimba ? 0.3 : 0.2;
            out.add(level * tone(p.arpTimbre, midiToHz(note), inStep, step), pan);
        }
    }

    if (p.melody && !coda) {
        const int beatIndex = static_cast<int>(inBar / beat);
        const double inBeat = inBar - beatIndex * beat;
        const unsigned h = hash(p.seed, static_cast<unsigned>(bar * 16 + beatIndex));
        if (h % 5 != 0) {  // now and then a rest
            const int note = chordTone(chord, static_cast<int>(h / 5 % 5)) + 12;
            out.add(0.16 * tone(Timbre::Bell, midiToHz(note), inBeat, beat), 0.5);
        }
    }

    // Fade the closing bar out to nothing; the rest brings the peaks to about -3 dBFS.
    const double fade = 1.4 * std::min(1.0, (total - t) / barLength);
    out.left *= fade;
    out.right *= fade;
    return out;
}

std::int16_t toSample(double value) {
    const double scaled = std::clamp(value, -1.0, 1.0) * 32767.0;
    return static_cast<std::int16_t>(std::lround(scaled));
}

class DemoDisc : public DiscSource {
public:
    DemoDisc() {
        int frame = kLeadInFrames;
        for (const Piece& p : kPieces) {
            toc_.tracks.push_back({frame, true});
            const double seconds = 60.0 / p.bpm * p.beatsPerBar * p.bars;
            // Two seconds of quiet after each piece, as on a pressed disc.
            frame += static_cast<int>(std::ceil(seconds * kFramesPerSecond)) + 2 * kFramesPerSecond;
        }
        toc_.leadOut = frame;
        text_.performer = QStringLiteral("鸦林小乐队");
        text_.title = QStringLiteral("晨昏小品");
        for (const Piece& p : kPieces) {
            text_.trackTitles.push_back(QString::fromUtf8(p.title));
            text_.trackPerformers.push_back(text_.performer);
        }
    }

    const Toc& toc() const override { return toc_; }
    std::optional<CdText> cdText() const override { return text_; }

    bool readSector(int frame, std::int16_t* out) override {
        std::fill(out, out + 2 * kSamplesPerSector, 0);
        if (frame < toc_.firstFrame() || frame >= toc_.leadOut) return true;
        const int track = toc_.trackAt(frame);
        const Piece& piece = kPieces[static_cast<std::size_t>(track - 1)];
        const long long first =
            static_cast<long long>(frame - toc_.trackStart(track)) * kSamplesPerSector;
        for (int i = 0; i < kSamplesPerSector; ++i) {
            const StereoSample s = renderPiece(piece, static_cast<double>(first + i) / kRate);
            out[2 * i] = toSample(s.left);
            out[2 * i + 1] = toSample(s.right);
        }
        return true;
    }

private:
    Toc toc_;
    CdText text_;
};

}  // namespace

std::shared_ptr<DiscSource> makeDemoDisc() {
    return std::make_shared<DemoDisc>();
}

}  // namespace corvina::cd
