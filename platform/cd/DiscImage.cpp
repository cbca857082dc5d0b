#include "platform/cd/DiscImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QSysInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/FolderEntries.h"
#include "platform/cd/CdWave.h"
#include "platform/cd/DiscNames.h"
#include "platform/cd/Sndfile.h"

namespace corvina::cd {
namespace {

constexpr int kRawSector = 2352;
constexpr long long kMostSectors = 100LL * 60 * 60 * kFramesPerSecond;  // 100 hours
constexpr qint64 kLargestCue = 1 << 20;

struct SndCloser {
    // A file is only ever open once the library is.
    void operator()(SNDFILE* f) const { sndfile()->sf_close(f); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Where the sectors of a BINARY file lie: from `first` on, `bytes` per sector from `offset`.
struct ByteRun {
    long long first;
    long long offset;
    int bytes;
};

// A file of the rip. Opening the disc reads only its header; the file itself is opened when it
// is first played, on the playback thread, and closed again once playback moves to another file,
// so a rip of 99 compressed tracks holds one decoder at a time.
struct ImageFile {
    QString path;
    bool binary = false;  // raw sectors: a sheet's BINARY file, or the samples of a CD-format WAV
    long long end = -1;   // where a raw file's samples end (-1: at its end)
    int channels = 2;
    bool floating = false;  // float or double samples, read as floats and scaled here
    bool bigEndian = false;
    std::vector<ByteRun> runs;
    long long sectors = 0;

    // Playback thread only.
    std::unique_ptr<SNDFILE, SndCloser> sound;
    std::unique_ptr<char[]> buffer;  // raw's, so it must outlive raw
    std::unique_ptr<std::FILE, FileCloser> raw;
    // Where a read without seeking goes on: the sector of a sound file (compressed files seek
    // slowly), the byte offset of a raw one.
    long long next = -1;
    // The file's own tags (libsndfile's strings), as stored: FLAC's are UTF-8, WAV's whatever
    // the tagging program used.
    std::string title;
    std::string artist;
    std::string album;

    bool isOpen() const { return sound || raw; }
    void close() {
        sound.reset();
        raw.reset();
        buffer.reset();
        next = -1;
    }
};

// Float samples at their own level: full scale is +-1.0, as libsndfile's own conversion of 16-bit
// samples to floats divides by 32768. Louder samples clip.
std::int16_t fromFloat(float value) {
    const float scaled = std::nearbyint(value * 32768.0f);
    return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

struct Segment {
    int start;   // absolute frame
    int length;  // frames
    int file;    // -1: silence
    long long fileSector;
};

QString text(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString decoded = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (!utf8.hasError()) return decoded;
    // Sheets written on Chinese Windows systems are in the GB code page.
    QStringDecoder gb("GB18030");
    if (gb.isValid()) return gb.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

QString resolve(const QString& folder, const std::string& name) {
    QString wanted = QFile::decodeName(QByteArray::fromStdString(name));
    wanted.replace(u'\\', u'/');
    const QString direct = QFileInfo(wanted).isAbsolute() ? wanted : QDir(folder).filePath(wanted);
    if (QFileInfo(direct).isFile()) return direct;
    // Sheets made elsewhere often differ from the files in case or carry a foreign folder.
    const QString base = wanted.section(u'/', -1);
    for (const QString& entry : QDir(folder).entryList(QDir::Files))
        if (entry.compare(base, Qt::CaseInsensitive) == 0) return QDir(folder).filePath(entry);
    return direct;
}

class DiscImage : public DiscSource {
public:
    Toc toc_;
    CdText text_;
    std::vector<ImageFile> files_;
    std::vector<Segment> segments_;
    bool complained_ = false;
    int open_ = -1;  // the file now open for reading (playback thread)

    const Toc& toc() const override { return toc_; }
    std::optional<CdText> cdText() const override { return text_; }

    bool readSector(int frame, std::int16_t* out) override {
        std::fill(out, out + 2 * kSamplesPerSector, 0);
        if (frame < toc_.firstFrame() || frame >= toc_.leadOut) return true;
        if (!toc_.tracks[static_cast<std::size_t>(toc_.trackAt(frame) - 1)].audio) return true;
        auto after = std::upper_bound(segments_.begin(), segments_.end(), frame,
                                      [](int f, const Segment& s) { return f < s.start; });
        if (after == segments_.begin()) return true;
        const Segment& seg = *(after - 1);
        if (seg.file < 0 || frame >= seg.start + seg.length) return true;
        ImageFile& file = files_[static_cast<std::size_t>(seg.file)];
        if (open_ != seg.file) {
            if (open_ >= 0) files_[static_cast<std::size_t>(open_)].close();
            open_ = seg.file;
        }
        if (readFrom(file, seg.fileSector + (frame - seg.start), out)) return true;
        if (!complained_) {
            complained_ = true;
            std::fprintf(stderr, "Corvina: cannot read %s; playing silence in its place.\n",
                         QFile::encodeName(file.path).constData());
        }
        return false;
    }

private:
    static bool openForReading(ImageFile& file) {
        const QByteArray name = QFile::encodeName(file.path);
        if (file.binary) {
            file.raw.reset(std::fopen(name.constData(), "rb"));
            // Sectors are read one after another: a buffer of about a third of a second of
            // sound turns 75 reads a second into three.
            // (The library takes a size only with a buffer of ours.)
            constexpr std::size_t kBuffer = 64 * 1024;
            file.buffer.reset(new char[kBuffer]);
            if (file.raw) std::setvbuf(file.raw.get(), file.buffer.get(), _IOFBF, kBuffer);
        } else if (const Sndfile* lib = sndfile()) {
            SF_INFO info{};
            file.sound.reset(lib->sf_open(name.constData(), SFM_READ, &info));
            // A file replaced by another of a different shape since the disc was opened.
            if (file.sound && info.channels != file.channels) file.sound.reset();
        }
        return file.isOpen();
    }

    static bool readFrom(ImageFile& file, long long sector, std::int16_t* out) {
        if (!file.isOpen() && !openForReading(file)) return false;
        if (file.sound) {
            const Sndfile& lib = *sndfile();
            if (sector != file.next &&
                lib.sf_seek(file.sound.get(), sector * kSamplesPerSector, SEEK_SET) < 0) {
                file.next = -1;
                return false;
            }
            file.next = sector + 1;
            if (file.floating) {
                float samples[2 * kSamplesPerSector] = {};
                if (lib.sf_readf_float(file.sound.get(), samples, kSamplesPerSector) < 0)
                    return false;
                for (int i = 0; i < kSamplesPerSector; ++i) {
                    const int left = file.channels == 2 ? 2 * i : i;
                    out[2 * i] = fromFloat(samples[left]);
                    out[2 * i + 1] = fromFloat(samples[file.channels == 2 ? left + 1 : left]);
                }
                return true;
            }
            if (file.channels == 2) {
                return lib.sf_readf_short(file.sound.get(), out, kSamplesPerSector) >= 0;
            }
            std::int16_t mono[kSamplesPerSector] = {};
            if (lib.sf_readf_short(file.sound.get(), mono, kSamplesPerSector) < 0) return false;
            for (int i = 0; i < kSamplesPerSector; ++i) out[2 * i] = out[2 * i + 1] = mono[i];
            return true;
        }
        auto run = std::find_if(file.runs.rbegin(), file.runs.rend(),
                                [&](const ByteRun& r) { return r.first <= sector; });
        if (run == file.runs.rend() || run->bytes != kRawSector) return true;
        const long long offset = run->offset + (sector - run->first) * run->bytes;
        // The next sector of the file needs no seek, which would ask the system where the file
        // stands even when the sector is already in the buffer.
        if (offset != file.next &&
            fseeko(file.raw.get(), static_cast<off_t>(offset), SEEK_SET) != 0) {
            file.next = -1;
            return false;
        }
        const std::size_t want =
            file.end < 0 ? kRawSector
                         : std::size_t(std::clamp<long long>(file.end - offset, 0, kRawSector));
        // Read straight into the samples (silence already), then put each in this machine's order.
        auto* bytes = reinterpret_cast<unsigned char*>(out);
        const std::size_t got = std::fread(bytes, 1, want, file.raw.get());
        file.next = got == kRawSector ? offset + kRawSector : -1;
        if (got < want && std::ferror(file.raw.get())) return false;
        const bool bigEndianMachine = QSysInfo::ByteOrder == QSysInfo::BigEndian;
        if (file.bigEndian != bigEndianMachine) {
            for (int i = 0; i < 2 * kSamplesPerSector; ++i) std::swap(bytes[2 * i], bytes[2 * i + 1]);
        }
        return true;
    }
};

// A WAV file in the CD's own format is played as raw sectors, like a BINARY file.
bool openCdWave(ImageFile& file) {
    const std::unique_ptr<std::FILE, FileCloser> in(
        std::fopen(QFile::encodeName(file.path).constData(), "rb"));
    const std::optional<CdWave> wave = readCdWave(in.get(), QFileInfo(file.path).size());
    if (!wave) return false;
    file.binary = true;
    file.runs = {{0, wave->dataOffset, kRawSector}};
    file.end = wave->dataOffset + 4 * wave->frames;
    file.sectors = (wave->frames + kSamplesPerSector - 1) / kSamplesPerSector;
    file.title = wave->title;
    file.artist = wave->artist;
    file.album = wave->album;
    return true;
}

// Reads the file's header only; the file is closed again until it is played.
bool openAudioFile(ImageFile& file, QString& error) {
    if (openCdWave(file)) return true;
    const QString name = QFileInfo(file.path).fileName();
    std::string missing;
    const Sndfile* lib = sndfile(&missing);
    if (!lib) {
        error = name + QStringLiteral(": audio files cannot be read here (") +
                QString::fromLocal8Bit(missing.c_str()) + QLatin1Char(')');
        return false;
    }
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndCloser> sound(
        lib->sf_open(QFile::encodeName(file.path).constData(), SFM_READ, &info));
    if (!sound) {
        error = name + ": " + QString::fromLocal8Bit(lib->sf_strerror(nullptr));
        return false;
    }
    if (info.samplerate != 44100) {
        error = QStringLiteral("%1: %2 Hz audio; only 44100 Hz can be played (resample it first)")
                    .arg(name)
                    .arg(info.samplerate);
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = QStringLiteral("%1: %2 channels; only mono and stereo can be played")
                    .arg(name)
                    .arg(info.channels);
        return false;
    }
    if (info.frames <= 0) {
        error = name + QStringLiteral(" holds no audio");
        return false;
    }
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    file.floating = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
    auto tag = [&](int which) {
        const char* value = lib->sf_get_string(sound.get(), which);
        return std::string(value ? value : "");
    };
    file.title = tag(SF_STR_TITLE);
    file.artist = tag(SF_STR_ARTIST);
    file.album = tag(SF_STR_ALBUM);
    file.channels = info.channels;
    file.sectors = (info.frames + kSamplesPerSector - 1) / kSamplesPerSector;
    return true;
}

bool openBinaryFile(ImageFile& file, const CueSheet& sheet, std::size_t index, QString& error) {
    const QString name = QFileInfo(file.path).fileName();
    file.binary = true;
    const QFileInfo info(file.path);
    if (!info.isReadable()) {
        error = name + QStringLiteral(": cannot be opened");
        return false;
    }
    const long long size = info.size();
    for (const CueTrack& track : sheet.tracks) {
        if (track.file != index) continue;
        if (file.runs.empty()) {
            file.runs.push_back({0, 0, track.sectorBytes});
            if (track.index01 == 0) continue;
        }
        const ByteRun& last = file.runs.back();
        file.runs.push_back({track.index01, last.offset + (track.index01 - last.first) * last.bytes,
                             track.sectorBytes});
        if (file.runs.back().offset > size) {
            error =
                QStringLiteral("track %1 starts past the end of %2").arg(track.number).arg(name);
            return false;
        }
    }
    if (file.runs.empty()) file.runs.push_back({0, 0, kRawSector});
    const ByteRun& last = file.runs.back();
    file.sectors = last.first + (size - last.offset + last.bytes - 1) / last.bytes;
    if (size <= 0) {
        error = name + QStringLiteral(" is empty");
        return false;
    }
    return true;
}

// The disc's names: the sheet's own, then the tags of the files for what the sheet leaves out (a
// track's tags only where its file holds that one track).
void fillNames(DiscImage& disc, const CueSheet& sheet) {
    std::vector<std::string> written{sheet.title, sheet.performer};
    for (const CueTrack& track : sheet.tracks) {
        written.push_back(track.title);
        written.push_back(track.performer);
    }
    const bool sheetUtf8 = allUtf8(written);
    std::vector<std::string> tags;
    for (const ImageFile& file : disc.files_)
        tags.insert(tags.end(), {file.title, file.artist, file.album});
    const bool tagsUtf8 = allUtf8(tags);
    auto name = [&](const std::string& own, const std::string& tag) {
        return own.empty() ? decodeName(tag, tagsUtf8) : decodeName(own, sheetUtf8);
    };

    std::vector<int> tracksInFile(disc.files_.size());
    for (const CueTrack& track : sheet.tracks) ++tracksInFile[track.file];
    std::string album;
    std::string artist;
    bool oneArtist = true;
    for (const ImageFile& file : disc.files_) {
        if (album.empty()) album = file.album;
        if (file.artist.empty()) continue;
        if (artist.empty()) artist = file.artist;
        oneArtist = oneArtist && file.artist == artist;
    }
    disc.text_.title = name(sheet.title, album);
    disc.text_.performer = name(sheet.performer, oneArtist ? artist : std::string());
    for (const CueTrack& track : sheet.tracks) {
        const ImageFile& file = disc.files_[track.file];
        const bool own = tracksInFile[track.file] == 1;
        disc.text_.trackTitles.push_back(name(track.title, own ? file.title : std::string()));
        disc.text_.trackPerformers.push_back(
            name(track.performer, own ? file.artist : std::string()));
    }
}

}  // namespace

std::shared_ptr<DiscSource> loadCueSheet(const CueSheet& sheet, const QString& folder,
                                         QString& error) {
    auto disc = std::make_shared<DiscImage>();
    for (std::size_t i = 0; i < sheet.files.size(); ++i) {
        ImageFile file;
        file.path = resolve(folder, sheet.files[i].name);
        file.bigEndian = sheet.files[i].bigEndian;
        if (!QFileInfo(file.path).isFile()) {
            error = QStringLiteral("%1 is missing").arg(text(sheet.files[i].name));
            return nullptr;
        }
        const bool ok = sheet.files[i].binary ? openBinaryFile(file, sheet, i, error)
                                              : openAudioFile(file, error);
        if (!ok) return nullptr;
        disc->files_.push_back(std::move(file));
    }

    // Lay the files end to end after the lead-in, with the gaps the sheet asks for.
    long long frame = kLeadInFrames;
    auto lay = [&](int file, long long from, long long to) {
        if (to > from) disc->segments_.push_back({int(frame), int(to - from), file, from});
        frame += to - from;
    };
    const CueTrack* open = nullptr;  // the track whose audio is being laid out
    for (std::size_t f = 0; f < sheet.files.size(); ++f) {
        long long at = 0;
        const long long sectors = disc->files_[f].sectors;
        for (const CueTrack& track : sheet.tracks) {
            if (track.file != f) continue;
            if (track.index01 > sectors) {
                error =
                    QStringLiteral("track %1 starts past the end of its file").arg(track.number);
                return nullptr;
            }
            lay(int(f), at, track.index01);
            if (open) lay(-1, 0, open->postgap);
            lay(-1, 0, track.pregap);
            // Pre-emphasis is a property of sound: on a data track the same control bit means
            // something else, and such a track is never played.
            disc->toc_.tracks.push_back(
                {int(frame), track.audio, track.audio && track.preemphasis});
            at = track.index01;
            open = &track;
        }
        lay(int(f), at, sectors);
        if (frame - kLeadInFrames > kMostSectors) {
            error = QStringLiteral("too long for a disc");
            return nullptr;
        }
    }
    if (open) lay(-1, 0, open->postgap);
    disc->toc_.leadOut = int(frame);
    for (std::size_t i = 0; i < disc->toc_.tracks.size(); ++i) {
        if (disc->toc_.trackLength(int(i) + 1) <= 0) {
            error = QStringLiteral("track %1 is empty").arg(sheet.tracks[i].number);
            return nullptr;
        }
    }

    fillNames(*disc, sheet);
    return disc;
}

namespace {

// File-name order as people read it: runs of digits compare as numbers ("2" before "10"),
// letters without regard to case.
bool naturalLess(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype si = i;
            const qsizetype sj = j;
            while (i < a.size() && a[i].isDigit()) ++i;
            while (j < b.size() && b[j].isDigit()) ++j;
            QStringView x = QStringView(a).mid(si, i - si);
            QStringView y = QStringView(b).mid(sj, j - sj);
            while (x.size() > 1 && x.front() == u'0') x = x.mid(1);
            while (y.size() > 1 && y.front() == u'0') y = y.mid(1);
            if (x.size() != y.size()) return x.size() < y.size();
            if (const int c = x.compare(y); c != 0) return c < 0;
            continue;
        }
        const QChar ca = a[i].toCaseFolded();
        const QChar cb = b[j].toCaseFolded();
        if (ca != cb) return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
    return a < b;
}

std::shared_ptr<DiscSource> loadCueFile(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return nullptr;
    }
    if (file.size() > kLargestCue) {
        error = QStringLiteral("too large for a cue sheet");
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    std::string why;
    const std::optional<CueSheet> sheet = parseCueSheet(bytes.toStdString(), why);
    if (!sheet) {
        error = QString::fromStdString(why);
        return nullptr;
    }
    return loadCueSheet(*sheet, QFileInfo(path).absolutePath(), error);
}

std::shared_ptr<DiscSource> loadFolder(const QString& path, QString& error) {
    QDir dir(path);
    QStringList names = folderEntries(dir, QDir::Files | QDir::Readable, isTrackFileName);
    if (names.isEmpty()) {
        const QStringList cues = folderEntries(dir, QDir::Files, isCueFileName);
        if (cues.size() == 1) return loadCueFile(dir.filePath(cues.front()), error);
        error = QStringLiteral("no .wav or .flac files in it");
        return nullptr;
    }
    if (names.size() > 99) {
        error = QStringLiteral("%1 audio files; a disc holds at most 99 tracks").arg(names.size());
        return nullptr;
    }
    std::sort(names.begin(), names.end(), naturalLess);
    CueSheet sheet;
    for (const QString& name : names) {
        sheet.files.push_back({QFile::encodeName(name).toStdString(), false, false});
        CueTrack track;
        track.number = int(sheet.tracks.size()) + 1;
        track.file = sheet.files.size() - 1;
        track.index01 = 0;
        sheet.tracks.push_back(track);
    }
    return loadCueSheet(sheet, dir.absolutePath(), error);
}

}  // namespace

bool isTrackFileName(const QString& name) {
    return hasSuffix(name, {u"wav", u"flac"});
}

bool isCueFileName(const QString& name) {
    return hasSuffix(name, {u"cue"});
}

std::shared_ptr<DiscSource> loadDiscImage(const QString& path, QString& error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        error = QStringLiteral("no such file or folder");
        return nullptr;
    }
    if (info.isDir()) return loadFolder(path, error);
    const QString suffix = info.suffix().toLower();
    if (suffix == "wav" || suffix == "flac") {  // a single rip: a disc of one track
        CueSheet sheet;
        sheet.files.push_back({QFile::encodeName(info.fileName()).toStdString(), false, false});
        CueTrack track;
        track.number = 1;
        track.index01 = 0;
        sheet.tracks.push_back(track);
        return loadCueSheet(sheet, info.absolutePath(), error);
    }
    return loadCueFile(path, error);
}

}  // namespace corvina::cd
