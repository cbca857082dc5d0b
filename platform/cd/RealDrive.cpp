#include "platform/cd/RealDrive.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <cstdio>

#include "platform/ErrorReport.h"
#include "platform/cd/CdTextPacks.h"

namespace corvina::cd {
namespace {

using namespace std::chrono_literals;

// Between the end of an enhanced CD's first session and its second session's first track:
// the lead-out, the next lead-in and the pregap.
constexpr int kSessionGap = 11400;

bool sameToc(const std::optional<Toc>& a, const std::optional<Toc>& b) {
    if (!a || !b) return !a && !b;
    if (a->leadOut != b->leadOut || a->firstSessionEnd != b->firstSessionEnd ||
        a->tracks.size() != b->tracks.size())
        return false;
    return std::equal(a->tracks.begin(), a->tracks.end(), b->tracks.begin(),
                      [](const TocTrack& x, const TocTrack& y) {
                          return x.start == y.start && x.audio == y.audio &&
                                 x.preemphasis == y.preemphasis;
                      });
}

// The TOC in the player's frames, or nullopt for one read half-way (a disc still spinning up
// reports starts out of order; the next look reads it again).
std::optional<Toc> tocFrom(const RawToc& raw) {
    if (raw.tracks.empty()) return std::nullopt;
    Toc toc;
    for (const RawTrack& track : raw.tracks)
        toc.tracks.push_back({track.lsn + kLeadInFrames, track.audio, track.preemphasis});
    toc.leadOut = raw.leadOutLsn + kLeadInFrames;
    int previous = -1;
    for (const TocTrack& track : toc.tracks) {
        if (track.start <= previous || track.start >= toc.leadOut) return std::nullopt;
        previous = track.start;
    }
    if (toc.tracks.front().start < 0) return std::nullopt;
    // An enhanced CD: audio, then a data track opening a later session. The audio ends where
    // its own session does, well before the data track starts.
    if (raw.lastSessionLsn > 0) {
        const int sessionStart = raw.lastSessionLsn + kLeadInFrames;
        for (std::size_t i = 1; i < toc.tracks.size(); ++i) {
            const TocTrack& track = toc.tracks[i];
            if (track.start < sessionStart) continue;
            const int end = sessionStart - kSessionGap;
            if (!track.audio && toc.tracks[i - 1].audio && end > toc.tracks[i - 1].start)
                toc.firstSessionEnd = end;
            break;
        }
    }
    return toc;
}

// The group that owns the device node and the user's login name, for the usual remedy.
QString accessAdvice(const std::string& path) {
    struct stat info {};
    QString group = QStringLiteral("cdrom");
    if (::stat(path.c_str(), &info) == 0) {
        if (const struct group* g = ::getgrgid(info.st_gid)) group = QString::fromLocal8Bit(g->gr_name);
    }
    QString user = QStringLiteral("$USER");
    if (const struct passwd* p = ::getpwuid(::getuid())) user = QString::fromLocal8Bit(p->pw_name);
    return QStringLiteral("无法打开光驱 %1：没有访问它的权限。\n"
                          "请把用户 %2 加入拥有它的用户组 %3（sudo adduser %2 %3），"
                          "注销并重新登录后再启动播放器。")
        .arg(QString::fromLocal8Bit(path.c_str()), user, group);
}

// The player's notices, from the drive's thread: on the UI thread, once the window is up.
void tellTheUser(const QString& message) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QMetaObject::invokeMethod(
            app, [message] { showNoticeOnceShown(message); }, Qt::QueuedConnection);
    } else {
        std::fprintf(stderr, "Corvina: %s\n", message.toLocal8Bit().constData());
    }
}

}  // namespace

RealDrive::RealDrive(std::shared_ptr<DriveDevice> device, std::unique_ptr<PlaybackEngine> engine,
                     DriveTeller tell)
    : device_(std::move(device)),
      description_(QString::fromLocal8Bit(device_->path().c_str())),
      engine_(engine ? std::move(engine)
                     : std::make_unique<PlaybackEngine>(nullptr, audio::AudioOutput::shared())),
      tell_(tell ? std::move(tell) : DriveTeller(tellTheUser)) {
    if (device_->isImage()) {
        description_ = QStringLiteral("IMAGE %1").arg(description_);
    } else if (const std::string model = device_->model(); !model.empty()) {
        description_ = QString::fromLocal8Bit(model.c_str());
    }
    look();
    if (!gone_) thread_ = std::thread([this] { watch(); });
}

RealDrive::~RealDrive() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    engine_->setDisc(nullptr);
}

void RealDrive::tellOnce(bool& told, const QString& message) {
    if (told) return;
    told = true;
    tell_(message);
}

void RealDrive::becomeGone() {
    engine_->setDisc(nullptr);
    std::shared_ptr<DriveStream> stream;
    {
        std::lock_guard lock(mutex_);
        gone_ = true;
        toc_.reset();
        text_.reset();
        stream = std::move(stream_);
    }
    stream.reset();  // its thread ends with it
    handle_.reset();
    known_ = false;
    std::fprintf(stderr, "Corvina: CD drive %s is gone.\n", device_->path().c_str());
}

void RealDrive::publishDisc(std::optional<Toc> toc, std::optional<CdText> text, bool trayOpen) {
    bool changed = false;
    {
        // Against the disc the engine holds: the UI thread empties toc_ itself when it asks for
        // the tray to open.
        std::lock_guard lock(mutex_);
        changed = !sameToc(toc, stream_ ? std::optional<Toc>(stream_->toc()) : std::nullopt);
    }
    // The engine gets the new disc before the UI thread can see its TOC and ask to play it.
    if (changed) {
        std::shared_ptr<DriveStream> stream;
        if (toc) {
            OpenError error = OpenError::None;
            std::string detail;
            if (std::unique_ptr<DeviceHandle> reading = device_->open(error, detail)) {
                stream = std::make_shared<DriveStream>(*toc, std::move(reading));
                const QString path = QString::fromLocal8Bit(device_->path().c_str());
                DriveTeller tell = tell_;
                stream->onUnreadable([tell, path] {
                    tell(QStringLiteral("光驱 %1 里的唱片读不出来，只能播放静音。\n"
                                        "请检查光盘是否有划痕或污迹。")
                             .arg(path));
                });
            }
        }
        engine_->setDisc(stream);
        std::shared_ptr<DriveStream> old;
        {
            std::lock_guard lock(mutex_);
            old = std::exchange(stream_, stream);
        }
    }
    std::lock_guard lock(mutex_);
    if (trayRequest_) return;  // the tray is about to move: this look is already out of date
    doorOpen_ = trayOpen;
    toc_ = std::move(toc);
    text_ = std::move(text);
}

void RealDrive::look() {
    if (!device_->present()) return becomeGone();
    if (!handle_) {
        OpenError error = OpenError::None;
        std::string detail;
        handle_ = device_->open(error, detail);
        if (!handle_) {
            if (error == OpenError::NotPermitted) tellOnce(toldAccess_, accessAdvice(device_->path()));
            if (error == OpenError::Missing) return becomeGone();
            return;
        }
    }
    bool trayOpen = false;
    if (device_->isImage()) {
        std::lock_guard lock(mutex_);
        trayOpen = imageDoorOpen_;
    } else {
        trayOpen = handle_->tray() == TrayState::Open;
    }
    // A new disc: a handle keeps the TOC it read, so a fresh handle reads the new one.
    if (trayOpen || handle_->mediaChanged()) {
        if (known_) toldToc_ = false;
        known_ = false;
        if (!trayOpen) {
            OpenError error = OpenError::None;
            std::string detail;
            handle_ = device_->open(error, detail);
            if (!handle_) return;
        }
    }
    if (known_ && !trayOpen) return;

    std::optional<Toc> toc;
    std::optional<CdText> text;
    if (!trayOpen) {
        RawToc raw;
        std::string why;
        if (handle_->readToc(raw, why)) {
            toc = tocFrom(raw);
        } else if (!why.empty() && !toldToc_) {
            // The drive interface's promise: a disc that cannot be used is said once.
            toldToc_ = true;
            std::fprintf(stderr, "Corvina: CD drive %s: %s (an unfinished CD-R?); the drive shows "
                                 "as empty.\n",
                         device_->path().c_str(), why.c_str());
        }
    }
    if (toc) {
        // A drive's CD-TEXT by its blocks' own character codes; an image's from its cue sheet.
        const std::vector<std::uint8_t> packs = handle_->cdTextPacks();
        if (!packs.empty()) text = decodeCdTextPacks(packs.data(), packs.size());
        if (!text) text = handle_->imageText();
        known_ = true;
    }
    publishDisc(std::move(toc), std::move(text), trayOpen);
}

void RealDrive::moveTray(bool open) {
    if (device_->isImage()) {
        // An image has no tray: it is taken out and put back by the player alone.
        if (open) publishDisc(std::nullopt, std::nullopt, true);
        std::lock_guard lock(mutex_);
        imageDoorOpen_ = open;
        doorOpen_ = open;
        known_ = false;
        return;
    }
    known_ = false;
    if (!open) {
        device_->closeTray();
        return;
    }
    // The system refuses to eject a device that is open more than once: every handle of the
    // player's goes first, the reading one with the disc.
    publishDisc(std::nullopt, std::nullopt, true);
    handle_.reset();
    // A data session the desktop mounted is unmounted the desktop's way first: the kernel
    // refuses to eject a mounted disc, and libcdio's own fallback (running umount) fails for a
    // user.
    std::string why;
    const bool moved = (!device_->mounted() || device_->unmount(why)) && device_->eject(why);
    if (!moved) {
        tellOnce(toldEject_, QStringLiteral("无法打开光驱 %1 的托盘：%2")
                                 .arg(QString::fromLocal8Bit(device_->path().c_str()),
                                      QString::fromUtf8(why.c_str())));
        std::lock_guard lock(mutex_);
        doorOpen_ = false;
    } else {
        toldEject_ = false;
    }
}

void RealDrive::watch() {
    std::unique_lock lock(mutex_);
    while (!gone_) {
        wake_.wait_for(lock, 1s, [this] { return quit_ || trayRequest_; });
        // A tray move asked for last (the exit sequence's) is made before the drive goes.
        const std::optional<bool> tray = std::exchange(trayRequest_, std::nullopt);
        const bool quitting = quit_;
        if (quitting && !tray) break;
        lock.unlock();
        if (tray) moveTray(*tray);
        if (!quitting) look();
        lock.lock();
        if (quitting) break;
        const std::shared_ptr<DriveStream> stream = stream_;
        const bool streamGone = stream && stream->gone();
        lock.unlock();
        if (streamGone) {
            becomeGone();
        } else if (stream) {
            stream->settle(engine_->isPlaying());
        }
        lock.lock();
    }
}

bool RealDrive::gone() const {
    std::lock_guard lock(mutex_);
    return gone_;
}

QString RealDrive::description() const {
    return description_;
}

bool RealDrive::isDoorOpen() const {
    std::lock_guard lock(mutex_);
    return doorOpen_;
}

void RealDrive::setDoorOpen(bool open) {
    {
        std::lock_guard lock(mutex_);
        if (gone_) return;
        trayRequest_ = open;
        doorOpen_ = open;
        if (open) {
            toc_.reset();
            text_.reset();
        }
    }
    if (open) engine_->stop();
    wake_.notify_all();
}

std::optional<Toc> RealDrive::toc() const {
    std::lock_guard lock(mutex_);
    if (doorOpen_) return std::nullopt;
    return toc_;
}

bool RealDrive::play(int from, int to) {
    const std::optional<Toc> disc = toc();
    if (!disc || from < 0 || from >= to || to > disc->leadOut) return false;
    // Only audio sounds: a data track is skipped to the audio after it, and playing ends where
    // the audio does (an enhanced CD's at the end of its first session).
    if (!disc->trimToAudio(from, to)) return false;
    engine_->play(from, to);
    return true;
}

void RealDrive::stop() {
    engine_->stop();
}

bool RealDrive::seek(int frame) {
    const std::optional<Toc> disc = toc();
    if (!disc || frame < 0 || frame > disc->leadOut) return false;
    engine_->seek(frame);
    return true;
}

int RealDrive::position() const {
    return engine_->position();
}

bool RealDrive::isPlaying() const {
    return engine_->isPlaying();
}

void RealDrive::setChannels(bool left, bool right) {
    engine_->setChannels(left, right);
}

std::optional<CdText> RealDrive::cdText() const {
    std::lock_guard lock(mutex_);
    if (doorOpen_) return std::nullopt;
    return text_;
}

}  // namespace corvina::cd
