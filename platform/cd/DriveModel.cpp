#include "platform/cd/DriveModel.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace corvina::cd {

struct DriveModel::State {
    State(std::string p, std::shared_ptr<DiscSource> d, DriveModelSetup s, const Clock& c)
        : path(std::move(p)), disc(std::move(d)), setup(std::move(s)), clock(c),
          speed(setup.ownSpeed) {}

    bool presentLocked() const {
        if (setup.plugFile.empty()) return !unplugged;
        struct stat info {};
        return ::stat(setup.plugFile.c_str(), &info) == 0;
    }

    const std::string path;
    mutable std::mutex mutex;
    std::shared_ptr<DiscSource> disc;
    const DriveModelSetup setup;
    const Clock& clock;
    bool unplugged = false;
    bool mounted = setup.mounted;
    bool trayOpen = false;
    bool spunUp = false;
    int head = -1;  // the lsn just past the last read
    int speed;
    double efficiency = 1.0;
    unsigned discChanges = 0;  // bumped when a disc goes in or out
    int handles = 0;
    std::vector<Read> reads;
    std::vector<int> speedsAsked;
};

namespace {

using State = DriveModel::State;
constexpr int kSectorSamples = 2 * kSamplesPerSector;
// Between the first session's end and the second session's first track on an enhanced CD.
constexpr int kSessionGap = 11400;

class ModelHandle : public DeviceHandle {
public:
    explicit ModelHandle(std::shared_ptr<State> state) : state_(std::move(state)) {
        std::lock_guard lock(state_->mutex);
        ++state_->handles;
        seenChanges_ = state_->discChanges;
    }
    ~ModelHandle() override {
        std::lock_guard lock(state_->mutex);
        --state_->handles;
    }

    TrayState tray() override {
        std::lock_guard lock(state_->mutex);
        if (!state_->presentLocked()) return TrayState::Unknown;
        return state_->trayOpen ? TrayState::Open : TrayState::Closed;
    }

    bool mediaChanged() override {
        std::lock_guard lock(state_->mutex);
        return std::exchange(seenChanges_, state_->discChanges) != state_->discChanges;
    }

    bool readToc(RawToc& raw, std::string& why) override {
        std::lock_guard lock(state_->mutex);
        raw = {};
        why.clear();
        if (!state_->presentLocked() || state_->trayOpen || !state_->disc) return false;
        if (state_->setup.tocUnreadable) {
            why = "the disc's table of contents cannot be read";
            return false;
        }
        const Toc& toc = state_->disc->toc();
        for (const TocTrack& track : toc.tracks)
            raw.tracks.push_back({track.start - kLeadInFrames, track.audio, track.preemphasis});
        raw.leadOutLsn = toc.leadOut - kLeadInFrames;
        // A drive reports an enhanced CD by where its last session starts.
        if (toc.firstSessionEnd > 0)
            raw.lastSessionLsn = toc.firstSessionEnd + kSessionGap - kLeadInFrames;
        return true;
    }

    std::vector<std::uint8_t> cdTextPacks() override {
        std::lock_guard lock(state_->mutex);
        return state_->disc ? state_->setup.cdTextPacks : std::vector<std::uint8_t>{};
    }

    bool setSpeed(int times) override {
        std::lock_guard lock(state_->mutex);
        state_->speedsAsked.push_back(times);
        if (!state_->presentLocked() || state_->setup.refusesSpeed) return false;
        state_->speed = times <= 0 ? state_->setup.ownSpeed : std::min(times, state_->setup.ownSpeed);
        return true;
    }

    ReadStatus readAudio(int lsn, int count, std::int16_t* out) override {
        std::chrono::nanoseconds cost{};
        ReadStatus status = ReadStatus::Ok;
        std::shared_ptr<DiscSource> disc;
        {
            std::lock_guard lock(state_->mutex);
            const std::chrono::nanoseconds at = state_->clock.now();
            if (!state_->presentLocked()) {
                state_->reads.push_back({at, lsn, count, ReadStatus::Gone});
                return ReadStatus::Gone;
            }
            disc = state_->disc;
            if (state_->trayOpen || !disc) {
                state_->reads.push_back({at, lsn, count, ReadStatus::Unreadable});
                return ReadStatus::Unreadable;
            }
            const DriveModelSetup& setup = state_->setup;
            if (!state_->spunUp) {
                cost += setup.spinUp;
                state_->spunUp = true;
            }
            if (lsn != state_->head) {
                const int span = std::max(1, disc->toc().leadOut);
                const double far =
                    std::min(1.0, std::abs(lsn - std::max(state_->head, 0)) / double(span));
                cost += setup.seekNear + std::chrono::duration_cast<std::chrono::nanoseconds>(
                                             (setup.seekFar - setup.seekNear) * far);
            }
            // The drive stops at the first sector it cannot read.
            int readable = count;
            for (const auto& [first, end] : setup.failing) {
                const int from = first - kLeadInFrames;
                const int to = end - kLeadInFrames;
                if (from < lsn + count && to > lsn) readable = std::min(readable, std::max(0, from - lsn));
            }
            const auto perSector = std::chrono::nanoseconds(static_cast<long long>(
                1e9 / (kFramesPerSecond * std::max(1, state_->speed) * state_->efficiency)));
            cost += perSector * readable;
            if (readable < count) {
                cost += setup.failCost;
                status = ReadStatus::Unreadable;
                state_->head = lsn + readable + 1;
            } else {
                state_->head = lsn + count;
            }
            state_->reads.push_back({at, lsn, count, status});
        }
        state_->clock.sleepFor(cost);
        {
            std::lock_guard lock(state_->mutex);
            if (!state_->presentLocked()) return ReadStatus::Gone;
        }
        if (status != ReadStatus::Ok) return status;
        for (int i = 0; i < count; ++i) {
            std::int16_t* sector = out + static_cast<std::ptrdiff_t>(i) * kSectorSamples;
            if (!disc->readSector(lsn + i + kLeadInFrames, sector))
                std::fill(sector, sector + kSectorSamples, 0);
        }
        return ReadStatus::Ok;
    }

private:
    std::shared_ptr<State> state_;
    unsigned seenChanges_ = 0;
};

bool parseSeconds(const std::string& text, std::chrono::milliseconds& out) {
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || seconds < 0 || seconds > 3600) return false;
    out = std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
    return true;
}

bool parseRange(const std::string& text, int& first, int& second) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    char* end = nullptr;
    first = static_cast<int>(std::strtol(text.c_str(), &end, 10));
    if (end != text.c_str() + dash) return false;
    second = static_cast<int>(std::strtol(text.c_str() + dash + 1, &end, 10));
    return !*end && dash + 1 < text.size() && first >= 0 && second > first;
}

}  // namespace

std::optional<DriveModelSetup> parseDriveModelSetup(const std::string& text, std::string& error) {
    DriveModelSetup setup;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (item.empty()) continue;
        const std::size_t equals = item.find('=');
        const std::string key = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : item.substr(equals + 1);
        bool ok = true;
        if (key == "spinup") {
            ok = parseSeconds(value, setup.spinUp);
        } else if (key == "failcost") {
            ok = parseSeconds(value, setup.failCost);
        } else if (key == "seek") {
            const std::size_t dash = value.find('-');
            ok = dash != std::string::npos && parseSeconds(value.substr(0, dash), setup.seekNear) &&
                 parseSeconds(value.substr(dash + 1), setup.seekFar);
        } else if (key == "speed") {
            setup.ownSpeed = std::atoi(value.c_str());
            ok = setup.ownSpeed >= 1 && setup.ownSpeed <= 100;
        } else if (key == "fail") {
            int first = 0;
            int end = 0;
            ok = parseRange(value, first, end);
            if (ok) setup.failing.emplace_back(first, end);
        } else if (key == "refuse-speed" && value.empty()) {
            setup.refusesSpeed = true;
        } else if (key == "toc-unreadable" && value.empty()) {
            setup.tocUnreadable = true;
        } else if (key == "not-permitted" && value.empty()) {
            setup.permitted = false;
        } else if (key == "plug" && !value.empty()) {
            setup.plugFile = value;
        } else {
            ok = false;
        }
        if (!ok) {
            error = "not understood: " + item;
            return std::nullopt;
        }
    }
    return setup;
}

DriveModel::DriveModel(std::string path, std::shared_ptr<DiscSource> disc, DriveModelSetup setup,
                       const Clock& clock)
    : state_(std::make_shared<State>(std::move(path), std::move(disc), std::move(setup), clock)) {}

DriveModel::~DriveModel() = default;

void DriveModel::unplug() {
    std::lock_guard lock(state_->mutex);
    state_->unplugged = true;
    state_->spunUp = false;
    state_->head = -1;
}

void DriveModel::plugIn() {
    std::lock_guard lock(state_->mutex);
    state_->unplugged = false;
}

void DriveModel::insert(std::shared_ptr<DiscSource> disc) {
    std::lock_guard lock(state_->mutex);
    state_->disc = std::move(disc);
    state_->trayOpen = false;
    state_->spunUp = false;
    state_->head = -1;
    ++state_->discChanges;
}

void DriveModel::setReadEfficiency(double share) {
    std::lock_guard lock(state_->mutex);
    state_->efficiency = std::clamp(share, 0.01, 1.0);
}

std::vector<DriveModel::Read> DriveModel::reads() const {
    std::lock_guard lock(state_->mutex);
    return state_->reads;
}

std::vector<int> DriveModel::speedsAsked() const {
    std::lock_guard lock(state_->mutex);
    return state_->speedsAsked;
}

bool DriveModel::trayOpen() const {
    std::lock_guard lock(state_->mutex);
    return state_->trayOpen;
}

const std::string& DriveModel::path() const {
    return state_->path;
}

std::string DriveModel::model() {
    return state_->setup.model;
}

bool DriveModel::present() {
    std::lock_guard lock(state_->mutex);
    return state_->presentLocked();
}

std::unique_ptr<DeviceHandle> DriveModel::open(OpenError& error, std::string& detail) {
    {
        std::lock_guard lock(state_->mutex);
        if (!state_->presentLocked()) {
            error = OpenError::Missing;
            detail = "No such file or directory";
            return nullptr;
        }
        if (!state_->setup.permitted) {
            error = OpenError::NotPermitted;
            detail = "Permission denied";
            return nullptr;
        }
    }
    error = OpenError::None;
    return std::make_unique<ModelHandle>(state_);
}

bool DriveModel::mounted() {
    std::lock_guard lock(state_->mutex);
    return state_->mounted;
}

bool DriveModel::unmount(std::string& why) {
    std::lock_guard lock(state_->mutex);
    if (state_->setup.unmountRefused) {
        why = "没有卸载 /media/disc 的权限";
        return false;
    }
    state_->mounted = false;
    return true;
}

bool DriveModel::eject(std::string& why) {
    std::lock_guard lock(state_->mutex);
    if (!state_->presentLocked()) {
        why = "No such file or directory";
        return false;
    }
    if (state_->mounted) {
        why = "Device or resource busy";
        return false;
    }
    // The kernel refuses while anyone else has the device open.
    if (state_->handles > 0) {
        why = "Device or resource busy";
        return false;
    }
    if (!state_->trayOpen) ++state_->discChanges;
    state_->trayOpen = true;
    state_->spunUp = false;
    state_->head = -1;
    return true;
}

void DriveModel::closeTray() {
    std::lock_guard lock(state_->mutex);
    if (state_->trayOpen) ++state_->discChanges;
    state_->trayOpen = false;
}

}  // namespace corvina::cd
