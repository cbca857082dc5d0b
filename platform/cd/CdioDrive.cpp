#include "platform/cd/CdioDrive.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/cd/DiscNames.h"
#include "platform/cd/QuietReader.h"

namespace corvina::cd {
namespace {

constexpr int kRetries = 3;

struct CdioCloser {
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

// libcdio reports to stderr by itself; the player says what matters once, in its own words.
void quietLog(cdio_log_level_t, const char*) {}

// A disc image (a .cue, .toc or .nrg file) rather than a device node: libcdio opens both.
bool isImageFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

CdioPtr openDevice(const std::string& device) {
    cdio_log_set_handler(quietLog);
    return CdioPtr(cdio_open(device.c_str(), isImageFile(device) ? DRIVER_UNKNOWN : DRIVER_DEVICE));
}

// The disc's CD-TEXT. A drive's CD-TEXT arrives in UTF-8, converted by libcdio from the
// character code of its block (ISO 8859-1, MS-JIS, ...). An image's comes from its cue sheet,
// whose bytes libcdio takes for ISO 8859-1: they are taken back to bytes and read like any cue
// sheet, as UTF-8 or GBK.
std::optional<CdText> readCdText(CdIo_t* cdio, track_t first, track_t count, bool image) {
    const cdtext_t* cdtext = cdio_get_cdtext(cdio);
    if (!cdtext) return std::nullopt;
    std::vector<std::string> raw;
    auto field = [&](cdtext_field_t which, track_t track) {
        const char* value = cdtext_get_const(cdtext, which, track);
        const QString text = QString::fromUtf8(value ? value : "");
        raw.push_back(image ? text.toLatin1().toStdString() : text.toStdString());
    };
    field(CDTEXT_FIELD_TITLE, 0);
    field(CDTEXT_FIELD_PERFORMER, 0);
    for (track_t t = first; t < first + count; ++t) {
        field(CDTEXT_FIELD_TITLE, t);
        field(CDTEXT_FIELD_PERFORMER, t);
    }
    const bool utf8 = allUtf8(raw);
    CdText text;
    text.title = decodeName(raw[0], utf8);
    text.performer = decodeName(raw[1], utf8);
    for (std::size_t i = 2; i + 1 < raw.size(); i += 2) {
        text.trackTitles.push_back(decodeName(raw[i], utf8));
        text.trackPerformers.push_back(decodeName(raw[i + 1], utf8));
    }
    return text;
}

bool sameToc(const std::optional<Toc>& a, const std::optional<Toc>& b) {
    if (!a || !b) return !a && !b;
    if (a->leadOut != b->leadOut || a->tracks.size() != b->tracks.size()) return false;
    return std::equal(a->tracks.begin(), a->tracks.end(), b->tracks.begin(),
                      [](const TocTrack& x, const TocTrack& y) {
                          return x.start == y.start && x.audio == y.audio;
                      });
}

// Set by the paranoia callback when it gave up on a sector (it takes no user data).
thread_local bool skipped = false;
void paranoiaCallback(long, paranoia_cb_mode_t mode) {
    if (mode == PARANOIA_CB_SKIP || mode == PARANOIA_CB_READERR) skipped = true;
}

// The audio of the disc now in the drive, read with cdparanoia on the playback thread through a
// handle of its own.
class CdioReader : public SectorReader {
public:
    CdioReader(CdioPtr cdio, Toc toc) : cdio_(std::move(cdio)), toc_(std::move(toc)) {
        if (cdio_) drive_ = cdio_cddap_identify_cdio(cdio_.get(), CDDA_MESSAGE_FORGETIT, nullptr);
        if (drive_ && cdio_cddap_open(drive_) == 0) paranoia_ = cdio_paranoia_init(drive_);
        if (paranoia_)
            cdio_paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    }
    ~CdioReader() override {
        if (paranoia_) cdio_paranoia_free(paranoia_);
        if (drive_) cdio_cddap_close_no_free_cdio(drive_);
    }

    bool setSpeed(int times) override {
        // The kernel's CD driver takes 0 for the drive's own speed; images refuse.
        return cdio_ && cdio_set_speed(cdio_.get(), times) == DRIVER_OP_SUCCESS;
    }

    bool read(int frame, std::int16_t* out) override {
        std::fill(out, out + 2 * kSamplesPerSector, 0);
        if (frame < toc_.firstFrame() || frame >= toc_.leadOut) return true;
        if (!toc_.tracks[static_cast<std::size_t>(toc_.trackAt(frame) - 1)].audio) return true;
        if (!paranoia_) return complain("the drive cannot read audio");
        const lsn_t lsn = frame - kLeadInFrames;
        if (lsn != next_) cdio_paranoia_seek(paranoia_, lsn, SEEK_SET);
        next_ = lsn + 1;
        skipped = false;
        const std::int16_t* data =
            cdio_paranoia_read_limited(paranoia_, paranoiaCallback, kRetries);
        // A sector that stays unreadable after the retries is skipped: a moment of silence.
        if (!data || skipped) {
            next_ = -1;
            return complain("some sectors cannot be read; they are skipped");
        }
        std::copy(data, data + 2 * kSamplesPerSector, out);
        return true;
    }

private:
    bool complain(const char* what) {
        if (!complained_) std::fprintf(stderr, "Corvina: CD drive: %s.\n", what);
        complained_ = true;
        return false;
    }

    CdioPtr cdio_;
    Toc toc_;
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    lsn_t next_ = -1;
    bool complained_ = false;
};

}  // namespace

struct CdioDrive::Handle {
    CdioPtr cdio;
    bool known = false;  // the TOC of the disc in it has been read
};

std::vector<std::unique_ptr<CdioDrive>> CdioDrive::probeAll() {
    std::vector<std::unique_ptr<CdioDrive>> drives;
    if (const char* chosen = std::getenv("CORVINA_DRIVE"); chosen && *chosen) {
        drives.push_back(std::make_unique<CdioDrive>(chosen));
        if (!drives.back()->handle_->cdio) {
            std::fprintf(stderr, "Corvina: cannot open the drive %s (CORVINA_DRIVE).\n", chosen);
        }
        return drives;
    }
    cdio_log_set_handler(quietLog);
    char** list = cdio_get_devices(DRIVER_DEVICE);
    for (char** device = list; device && *device; ++device)
        drives.push_back(std::make_unique<CdioDrive>(*device));
    if (list) cdio_free_device_list(list);
    return drives;
}

std::unique_ptr<SectorReader> CdioDrive::openReader(const std::string& device, const Toc& toc) {
    return std::make_unique<CdioReader>(openDevice(device), toc);
}

CdioDrive::CdioDrive(std::string device)
    : device_(std::move(device)),
      description_(QString::fromLocal8Bit(device_.c_str())),
      engine_(nullptr, audio::AudioOutput::shared()),
      handle_(std::make_unique<Handle>()) {
    handle_->cdio = openDevice(device_);
    image_ = isImageFile(device_);
    if (image_) description_ = QStringLiteral("IMAGE %1").arg(description_);
    if (handle_->cdio && !image_) {
        cdio_hwinfo_t info{};
        if (cdio_get_hwinfo(handle_->cdio.get(), &info)) {
            description_ =
                QStringLiteral("%1 %2").arg(QString::fromLatin1(info.psz_vendor).trimmed(),
                                            QString::fromLatin1(info.psz_model).trimmed());
        }
    }
    look(*handle_);
    thread_ = std::thread([this] { watch(); });
}

CdioDrive::~CdioDrive() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void CdioDrive::look(Handle& handle) {
    if (!handle.cdio) handle.cdio = openDevice(device_);
    if (!handle.cdio) return;
    bool trayOpen = false;
    if (image_) {
        std::lock_guard lock(mutex_);
        trayOpen = imageDoorOpen_;
    } else {
        trayOpen = mmc_get_tray_status(handle.cdio.get()) == 1;
    }
    // A new disc: libcdio keeps the TOC it read, so a fresh handle reads the new one.
    if (trayOpen || cdio_get_media_changed(handle.cdio.get()) == 1) {
        handle.known = false;
        if (!trayOpen) handle.cdio = openDevice(device_);
        if (!handle.cdio) return;
    }
    if (handle.known && !trayOpen) return;

    std::optional<Toc> toc;
    std::optional<CdText> text;
    const track_t first = cdio_get_first_track_num(handle.cdio.get());
    const track_t count = cdio_get_num_tracks(handle.cdio.get());
    if (!trayOpen && first != CDIO_INVALID_TRACK && count != CDIO_INVALID_TRACK && count > 0) {
        toc.emplace();
        for (track_t t = first; t < first + count; ++t) {
            toc->tracks.push_back(
                {cdio_get_track_lsn(handle.cdio.get(), t) + kLeadInFrames,
                 cdio_get_track_format(handle.cdio.get(), t) == TRACK_FORMAT_AUDIO});
        }
        toc->leadOut =
            cdio_get_track_lsn(handle.cdio.get(), CDIO_CDROM_LEADOUT_TRACK) + kLeadInFrames;
        // A TOC read half-way (a disc still spinning up) is tried again at the next look.
        int previous = -1;
        for (const TocTrack& track : toc->tracks) {
            if (track.start <= previous) previous = toc->leadOut;
            previous = std::max(previous, track.start);
        }
        if (toc->tracks.front().start < 0 || previous >= toc->leadOut) toc.reset();
    }
    if (toc) {
        text = readCdText(handle.cdio.get(), first, count, image_);
        handle.known = true;
    }
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        changed = !sameToc(toc, toc_);
    }
    // The engine gets the new disc before the UI thread can see its TOC and ask to play it.
    if (changed) {
        std::shared_ptr<QuietReader> reader;
        if (toc) {
            reader = std::make_shared<QuietReader>(*toc, openReader(device_, *toc));
        }
        engine_.setDisc(reader);
        std::lock_guard lock(mutex_);
        reader_ = reader;
    }
    std::lock_guard lock(mutex_);
    if (trayRequest_) return;  // the tray is about to move: this look is already out of date
    doorOpen_ = trayOpen;
    toc_ = toc;
    text_ = text;
}

void CdioDrive::watch() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        wake_.wait_for(lock, std::chrono::seconds(1), [this] { return quit_ || trayRequest_; });
        if (quit_) break;
        const std::optional<bool> tray = std::exchange(trayRequest_, std::nullopt);
        lock.unlock();
        if (tray && image_) {
            // An image has no tray: it is taken out and put back by the player alone.
            if (*tray) engine_.setDisc(nullptr);
            lock.lock();
            imageDoorOpen_ = *tray;
            lock.unlock();
            handle_->known = false;
        } else if (tray) {
            if (*tray) {
                engine_.setDisc(nullptr);
                handle_->cdio.reset();  // the tray takes the disc, and the handle's TOC with it
                cdio_eject_media_drive(device_.c_str());
            } else {
                driver_id_t driver = DRIVER_DEVICE;
                cdio_close_tray(device_.c_str(), &driver);
            }
            handle_->known = false;
        }
        look(*handle_);
        lock.lock();
        const std::shared_ptr<QuietReader> reader = reader_;
        lock.unlock();
        if (reader) reader->settle(engine_.isPlaying());
        lock.lock();
    }
}

bool CdioDrive::hasDiscNow() const {
    std::lock_guard lock(mutex_);
    return toc_.has_value();
}

QString CdioDrive::description() const {
    return description_;
}

bool CdioDrive::isDoorOpen() const {
    std::lock_guard lock(mutex_);
    return doorOpen_;
}

void CdioDrive::setDoorOpen(bool open) {
    {
        std::lock_guard lock(mutex_);
        trayRequest_ = open;
        doorOpen_ = open;
        if (open) {
            toc_.reset();
            text_.reset();
        }
    }
    if (open) engine_.stop();
    wake_.notify_all();
}

std::optional<Toc> CdioDrive::toc() const {
    std::lock_guard lock(mutex_);
    if (doorOpen_) return std::nullopt;
    return toc_;
}

bool CdioDrive::play(int from, int to) {
    const std::optional<Toc> disc = toc();
    if (!disc || from < 0 || from >= to || to > disc->leadOut) return false;
    engine_.play(from, to);
    return true;
}

void CdioDrive::stop() {
    engine_.stop();
}

bool CdioDrive::seek(int frame) {
    const std::optional<Toc> disc = toc();
    if (!disc || frame < 0 || frame > disc->leadOut) return false;
    engine_.seek(frame);
    return true;
}

int CdioDrive::position() const {
    return engine_.position();
}

bool CdioDrive::isPlaying() const {
    return engine_.isPlaying();
}

void CdioDrive::setChannels(bool left, bool right) {
    engine_.setChannels(left, right);
}

std::optional<CdText> CdioDrive::cdText() const {
    std::lock_guard lock(mutex_);
    if (doorOpen_) return std::nullopt;
    return text_;
}

}  // namespace corvina::cd
