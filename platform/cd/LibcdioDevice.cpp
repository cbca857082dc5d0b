#include "platform/cd/LibcdioDevice.h"

#include <cdio/cdio.h>
#include <cdio/mmc.h>
#include <cdio/mmc_hl_cmds.h>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileDescriptor.h"
#include "platform/cd/Cdio.h"
#include "platform/cd/DiscNames.h"
#include "platform/cd/Unmount.h"

namespace corvina::cd {
namespace {

// The largest READ CD a drive is sure to take in one command (about 56 KB of transfer).
constexpr int kMostSectorsPerCommand = 24;

class LibcdioHandle : public DeviceHandle {
public:
    LibcdioHandle(CdioPtr cdio, bool image, const std::string& path)
        : cdio_(std::move(cdio)), image_(image), path_(path) {}

    TrayState tray() override {
        if (image_) return TrayState::Closed;
        switch (mmc_get_tray_status(cdio_.get())) {
            case 0:
                return TrayState::Closed;
            case 1:
                return TrayState::Open;
            default:
                return TrayState::Unknown;
        }
    }

    bool mediaChanged() override { return !image_ && cdio_get_media_changed(cdio_.get()) == 1; }

    bool readToc(RawToc& toc, std::string& why) override {
        toc = {};
        const track_t first = cdio_get_first_track_num(cdio_.get());
        const track_t count = cdio_get_num_tracks(cdio_.get());
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
            // A closed tray with a disc the drive cannot make sense of (an unfinished CD-R, a
            // blank disc) tells itself apart from an empty drive by the drive's status.
            why = discInDrive() ? "the disc's table of contents cannot be read" : "";
            return false;
        }
        for (track_t t = first; t < first + count; ++t) {
            RawTrack track;
            track.lsn = cdio_get_track_lsn(cdio_.get(), t);
            track.audio = cdio_get_track_format(cdio_.get(), t) == TRACK_FORMAT_AUDIO;
            track.preemphasis =
                cdio_get_track_preemphasis(cdio_.get(), t) == CDIO_TRACK_FLAG_TRUE;
            if (track.lsn == CDIO_INVALID_LSN) {
                why = "the disc's table of contents cannot be read";
                return false;
            }
            toc.tracks.push_back(track);
        }
        toc.leadOutLsn = cdio_get_track_lsn(cdio_.get(), CDIO_CDROM_LEADOUT_TRACK);
        lsn_t session = 0;
        if (!image_ && cdio_get_last_session(cdio_.get(), &session) == DRIVER_OP_SUCCESS)
            toc.lastSessionLsn = session;
        return true;
    }

    std::vector<std::uint8_t> cdTextPacks() override {
        if (image_) return {};
        std::uint8_t* raw = cdio_get_cdtext_raw(cdio_.get());
        if (!raw) return {};
        // The drive's reply: a two-byte length (of what follows it), two reserved bytes, packs.
        const std::size_t size = 2 + (std::size_t(raw[0]) << 8 | raw[1]);
        std::vector<std::uint8_t> packs(raw, raw + size);
        cdio_free(raw);
        return packs;
    }

    std::optional<CdText> imageText() override {
        // libcdio takes a cue sheet's bytes for ISO 8859-1 and hands them out as UTF-8: they are
        // taken back to bytes and read like any cue sheet, as UTF-8 or GBK. (A drive's CD-TEXT
        // comes as packs, decoded by their declared character code.)
        const cdtext_t* cdtext = image_ ? cdio_get_cdtext(cdio_.get()) : nullptr;
        if (!cdtext) return std::nullopt;
        const track_t first = cdio_get_first_track_num(cdio_.get());
        const track_t count = cdio_get_num_tracks(cdio_.get());
        if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK) return std::nullopt;
        std::vector<std::string> raw;
        auto field = [&](cdtext_field_t which, track_t track) {
            const char* value = cdtext_get_const(cdtext, which, track);
            raw.push_back(QString::fromUtf8(value ? value : "").toLatin1().toStdString());
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

    bool setSpeed(int times) override {
        // The kernel's CD driver takes 0 for the drive's own speed; images refuse.
        return !image_ && cdio_set_speed(cdio_.get(), times) == DRIVER_OP_SUCCESS;
    }

    ReadStatus readAudio(int lsn, int count, std::int16_t* out) override {
        while (count > 0) {
            const int n = std::min(count, kMostSectorsPerCommand);
            if (cdio_read_audio_sectors(cdio_.get(), out, lsn, static_cast<unsigned>(n)) !=
                DRIVER_OP_SUCCESS) {
                struct stat info {};
                return !image_ && ::stat(path_.c_str(), &info) != 0 ? ReadStatus::Gone
                                                                    : ReadStatus::Unreadable;
            }
            lsn += n;
            count -= n;
            out += static_cast<std::ptrdiff_t>(n) * 2 * 588;
        }
        return ReadStatus::Ok;
    }

private:
    bool discInDrive() {
        if (image_) return true;
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
        ::close(fd);
        return status == CDS_DISC_OK;
    }

    CdioPtr cdio_;
    const bool image_;
    const std::string path_;
};

class LibcdioDevice : public DriveDevice {
public:
    explicit LibcdioDevice(std::string path) : path_(std::move(path)), image_(isImageFile(path_)) {}

    const std::string& path() const override { return path_; }
    bool isImage() const override { return image_; }

    std::string model() override {
        if (image_) return {};
        OpenError error = OpenError::None;
        std::string detail;
        CdioPtr cdio = openChecked(error, detail);
        cdio_hwinfo_t info{};
        if (!cdio || !cdio_get_hwinfo(cdio.get(), &info)) return {};
        auto trimmed = [](const char* text) {
            std::string s(text);
            while (!s.empty() && s.back() == ' ') s.pop_back();
            while (!s.empty() && s.front() == ' ') s.erase(s.begin());
            return s;
        };
        const std::string vendor = trimmed(info.psz_vendor);
        const std::string model = trimmed(info.psz_model);
        return vendor.empty() ? model : model.empty() ? vendor : vendor + " " + model;
    }

    bool present() override {
        struct stat info {};
        return ::stat(path_.c_str(), &info) == 0;
    }

    std::unique_ptr<DeviceHandle> open(OpenError& error, std::string& detail) override {
        CdioPtr cdio = openChecked(error, detail);
        if (!cdio) return nullptr;
        return std::make_unique<LibcdioHandle>(std::move(cdio), image_, path_);
    }

    bool mounted() override {
        return !image_ && hasMounts(QString::fromLocal8Bit(path_.c_str()));
    }

    bool unmount(std::string& why) override {
        const UnmountResult result = unmountAll(QString::fromLocal8Bit(path_.c_str()));
        if (!result.ok()) why = result.reason.toStdString();
        return result.ok();
    }

    bool eject(std::string& why) override {
        if (image_) return true;
        FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() < 0) {
            why = std::strerror(errno);
            return false;
        }
        ::ioctl(fd.get(), CDROM_LOCKDOOR, 0);
        if (::ioctl(fd.get(), CDROMEJECT) == 0) return true;
        if (errno != EBUSY) {
            why = std::strerror(errno);
            return false;
        }
        // Another program holds the device open (the kernel then refuses the ioctl): the
        // drive itself is asked, as the desktop's own eject does.
        OpenError error = OpenError::None;
        std::string detail;
        CdioPtr cdio = openChecked(error, detail);
        if (cdio && mmc_eject_media(cdio.get()) == DRIVER_OP_SUCCESS) return true;
        why = "它正被其他程序使用";
        return false;
    }

    void closeTray() override {
        if (image_) return;
        FileDescriptor fd(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() >= 0) ::ioctl(fd.get(), CDROMCLOSETRAY);
    }

private:
    CdioPtr openChecked(OpenError& error, std::string& detail) {
        // libcdio does not say why an open failed; the system does.
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            detail = std::strerror(errno);
            error = errno == EACCES || errno == EPERM   ? OpenError::NotPermitted
                    : errno == ENOENT || errno == ENXIO || errno == ENODEV ? OpenError::Missing
                                                                           : OpenError::Other;
            return nullptr;
        }
        ::close(fd);
        CdioPtr cdio = openCdio(path_.c_str(), image_ ? DRIVER_UNKNOWN : DRIVER_DEVICE);
        if (!cdio) {
            error = OpenError::Other;
            detail = image_ ? "not a disc image libcdio reads" : "not a CD drive";
            return nullptr;
        }
        error = OpenError::None;
        return cdio;
    }

    const std::string path_;
    const bool image_;
};

}  // namespace

bool isImageFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::shared_ptr<DriveDevice> libcdioDevice(const std::string& path) {
    return std::make_shared<LibcdioDevice>(path);
}

}  // namespace corvina::cd
