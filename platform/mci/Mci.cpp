#include "platform/mci/Mci.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/cd/DriveSet.h"
#include "platform/mci/TimeFormat.h"

namespace corvina::mci {
namespace {

struct Device {
    std::string alias;  // as given at open; matched case-insensitively
    cd::Drive* drive = nullptr;
    TimeFormat format = TimeFormat::Tmsf;
    bool left = true;
    bool right = true;
};

struct State {
    std::vector<Device> devices;
    CommandObserver observer;
    ReplyFilter filter;
};

State& state() {
    static State s;
    return s;
}

struct Outcome {
    unsigned code = kOk;
    std::string reply;
};

Outcome fail(unsigned code) {
    return {code, {}};
}

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        const std::size_t begin = i;
        while (i < text.size() && !isBlank(text[i])) ++i;
        if (i > begin) out.emplace_back(text.substr(begin, i - begin));
    }
    return out;
}

Device* findDevice(std::string_view alias) {
    const std::string key = lower(alias);
    for (Device& device : state().devices)
        if (lower(device.alias) == key) return &device;
    return nullptr;
}

bool driveShared(const Device& device) {
    return std::count_if(state().devices.begin(), state().devices.end(),
                         [&](const Device& d) { return d.drive == device.drive; }) > 1;
}

// "open cdaudio" names the default drive, so the alias follows it: when the drive set is
// replaced (tests install their own drives) or another drive becomes the default (a rip put in
// the virtual drive), never keeping a stale pointer.
cd::Drive* liveDrive(Device& device) {
    cd::Drive* drive = cd::DriveSet::instance().defaultDrive();
    if (drive == device.drive) return drive;
    device.drive = drive;
    if (device.drive) device.drive->setChannels(device.left, device.right);
    return device.drive;
}

Outcome open(const std::vector<std::string>& w) {
    if (w.size() < 2) return fail(kErrMissingParameter);
    if (lower(w[1]) != "cdaudio") return fail(kErrInvalidDeviceName);
    std::string alias = w[1];
    for (std::size_t i = 2; i < w.size(); ++i) {
        const std::string word = lower(w[i]);
        if (word == "wait" || word == "shareable") continue;
        if (word != "alias") return fail(kErrUnrecognizedKeyword);
        if (++i == w.size()) return fail(kErrMissingParameter);
        alias = w[i];
    }
    if (findDevice(alias)) return fail(kErrDuplicateAlias);
    cd::Drive* drive = cd::DriveSet::instance().defaultDrive();
    if (!drive) return fail(kErrHardware);
    Device device{alias, drive};
    // The first user gets the drive as it opens: both channels on.
    const bool inUse = std::any_of(state().devices.begin(), state().devices.end(),
                                   [&](const Device& d) { return d.drive == drive; });
    if (!inUse) drive->setChannels(true, true);
    state().devices.push_back(device);
    return {};
}

Outcome close(Device& device) {
    // Nobody is left to stop it: playback ends with the last alias on the drive.
    if (!driveShared(device)) device.drive->stop();
    auto& devices = state().devices;
    devices.erase(std::find_if(devices.begin(), devices.end(),
                               [&](const Device& d) { return &d == &device; }));
    return {};
}

Outcome set(Device& device, const std::vector<std::string>& args) {
    if (args.empty()) return fail(kErrMissingParameter);
    const std::string what = lower(args[0]);
    if (what == "time") {
        if (args.size() < 3) return fail(kErrMissingParameter);
        if (args.size() > 3 || lower(args[1]) != "format") return fail(kErrUnrecognizedKeyword);
        const std::string format = lower(args[2]);
        if (format == "tmsf") {
            device.format = TimeFormat::Tmsf;
        } else if (format == "msf") {
            device.format = TimeFormat::Msf;
        } else if (format == "milliseconds" || format == "ms") {
            device.format = TimeFormat::Milliseconds;
        } else {
            return fail(kErrBadTimeFormat);
        }
        return {};
    }
    if (what == "door") {
        if (args.size() < 2) return fail(kErrMissingParameter);
        const std::string door = lower(args[1]);
        if (args.size() > 2 || (door != "open" && door != "closed")) {
            return fail(kErrUnrecognizedKeyword);
        }
        device.drive->setDoorOpen(door == "open");
        return {};
    }
    if (what == "audio") {
        if (args.size() < 3) return fail(kErrMissingParameter);
        const std::string channel = lower(args[1]);
        const std::string onOff = lower(args[2]);
        const bool known = channel == "left" || channel == "right" || channel == "all";
        if (args.size() > 3 || !known || (onOff != "on" && onOff != "off")) {
            return fail(kErrUnrecognizedKeyword);
        }
        const bool on = onOff == "on";
        if (channel != "right") device.left = on;
        if (channel != "left") device.right = on;
        device.drive->setChannels(device.left, device.right);
        return {};
    }
    return fail(kErrUnrecognizedKeyword);
}

// "from POS" / "to POS" pairs of play, in any order.
Outcome play(Device& device, const std::vector<std::string>& args) {
    const std::optional<cd::Toc> toc = device.drive->toc();
    if (!toc || toc->tracks.empty()) return fail(kErrDeviceNotReady);
    std::optional<int> from;
    std::optional<int> to;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string word = lower(args[i]);
        if (word != "from" && word != "to") return fail(kErrUnrecognizedKeyword);
        if (i + 1 == args.size()) return fail(kErrMissingParameter);
        const ParsedPosition p = parsePosition(args[i + 1], device.format, *toc);
        if (p.error) return fail(p.error);
        (word == "from" ? from : to) = p.frame;
    }
    const int start = from.value_or(std::max(device.drive->position(), toc->firstFrame()));
    const int end = to.value_or(toc->leadOut);
    if (start >= end) return fail(kErrOutOfRange);
    if (!device.drive->play(start, end)) return fail(kErrHardware);
    return {};
}

Outcome seek(Device& device, const std::vector<std::string>& args) {
    if (args.empty() || lower(args[0]) != "to") {
        return fail(args.empty() ? kErrMissingParameter : kErrUnrecognizedKeyword);
    }
    if (args.size() < 2) return fail(kErrMissingParameter);
    if (args.size() > 2) return fail(kErrUnrecognizedKeyword);
    const std::optional<cd::Toc> toc = device.drive->toc();
    if (!toc || toc->tracks.empty()) return fail(kErrDeviceNotReady);
    const std::string where = lower(args[1]);
    int frame = 0;
    if (where == "start") {
        frame = toc->firstFrame();
    } else if (where == "end") {
        frame = toc->leadOut;
    } else {
        const ParsedPosition p = parsePosition(args[1], device.format, *toc);
        if (p.error) return fail(p.error);
        frame = p.frame;
    }
    if (!device.drive->seek(frame)) return fail(kErrHardware);
    return {};
}

const char* formatName(TimeFormat format) {
    switch (format) {
        case TimeFormat::Tmsf:
            return "tmsf";
        case TimeFormat::Msf:
            return "msf";
        case TimeFormat::Milliseconds:
            return "milliseconds";
    }
    return "";
}

Outcome status(Device& device, const std::vector<std::string>& args) {
    if (args.empty()) return fail(kErrMissingParameter);
    std::string item;
    for (const std::string& word : args) {
        // Appended piece by piece: g++ 12 warns of a false overlap (-Wrestrict) in the inlined
        // concatenation "" + lower(word) at -O2.
        if (!item.empty()) item += ' ';
        item += lower(word);
    }
    cd::Drive& drive = *device.drive;
    if (item == "media present") return {kOk, drive.toc() ? "true" : "false"};
    if (item == "time format") return {kOk, formatName(device.format)};
    if (item == "ready") return {kOk, drive.isDoorOpen() ? "false" : "true"};
    if (item == "mode") {
        if (drive.isDoorOpen()) return {kOk, "open"};
        if (!drive.toc()) return {kOk, "not ready"};
        return {kOk, drive.isPlaying() ? "playing" : "stopped"};
    }
    const bool known = item == "number of tracks" || item == "length" || item == "position" ||
                       item == "current track" || item.starts_with("length track ") ||
                       item.starts_with("position track ");
    if (!known) {
        const bool partial = item == "media" || item == "number" || item == "number of" ||
                             item == "length track" || item == "position track" || item == "time" ||
                             item == "current";
        return fail(partial ? kErrMissingParameter : kErrUnrecognizedKeyword);
    }
    const std::optional<cd::Toc> toc = drive.toc();
    if (!toc || toc->tracks.empty()) return fail(kErrDeviceNotReady);
    if (item == "number of tracks") return {kOk, std::to_string(toc->trackCount())};
    if (item == "length") return {kOk, formatLength(toc->discLength(), device.format)};
    if (item == "position") return {kOk, formatPosition(drive.position(), device.format, *toc)};
    if (item == "current track") return {kOk, std::to_string(toc->trackAt(drive.position()))};
    // "length track N" / "position track N": N is a plain track number in every time format.
    const long long n = parseCount(args.back());
    if (args.size() != 3 || n == -1) return fail(kErrBadInteger);
    if (n < 1 || n > toc->trackCount()) return fail(kErrOutOfRange);
    const int track = static_cast<int>(n);
    if (item.starts_with("length")) {
        return {kOk, formatLength(toc->trackLength(track), device.format)};
    }
    return {kOk, formatPosition(toc->trackStart(track), device.format, *toc)};
}

Outcome execute(std::string_view command) {
    const std::vector<std::string> w = words(command);
    if (w.empty()) return fail(kErrUnrecognizedCommand);
    const std::string verb = lower(w[0]);
    if (verb == "open") return open(w);
    const bool known = verb == "close" || verb == "set" || verb == "play" || verb == "stop" ||
                       verb == "pause" || verb == "seek" || verb == "status";
    if (!known) return fail(kErrUnrecognizedCommand);
    if (w.size() < 2) return fail(kErrMissingParameter);
    Device* device = findDevice(w[1]);
    if (!device) return fail(kErrInvalidDeviceName);
    if (!liveDrive(*device)) return fail(kErrHardware);
    // "wait" asks for the command to complete before the call returns, which every command here
    // does; after play it returns at once all the same, since the UI thread must never wait for
    // a disc to play out.
    std::vector<std::string> args;
    for (std::size_t i = 2; i < w.size(); ++i)
        if (lower(w[i]) != "wait") args.push_back(w[i]);
    if (verb == "close") return args.empty() ? close(*device) : fail(kErrUnrecognizedKeyword);
    if (verb == "set") return set(*device, args);
    if (verb == "play") return play(*device, args);
    if (verb == "seek") return seek(*device, args);
    if (verb == "status") return status(*device, args);
    if (!args.empty()) return fail(kErrUnrecognizedKeyword);
    device->drive->stop();  // stop and pause both halt and keep the position
    return {};
}

// The log stays open while its variable names the same file: the player asks for the drive's
// state a few times a second, and an open, seek, stat and close around each line cost more than
// the line. Naming another file (or none) closes it.
void writeLog(std::string_view command, unsigned result, std::string_view reply) {
    static std::string openPath;
    static int fd = -1;
    const char* path = std::getenv("CORVINA_MCI_LOG");
    if (!path || !*path || openPath != path) {
        if (fd >= 0) ::close(fd);
        fd = -1;
        openPath.clear();
        if (!path || !*path) return;
        fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd < 0) return;  // tried again with the next command
        openPath = path;
    }
    std::string line;
    for (char c : command) line += static_cast<unsigned char>(c) < 32 ? ' ' : c;
    line += '\t' + std::to_string(result) + '\t';
    for (char c : reply) line += static_cast<unsigned char>(c) < 32 ? ' ' : c;
    line += '\n';
    // One write per line, so readers never see half of one.
    for (std::size_t done = 0; done < line.size();) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += std::size_t(n);
    }
}

}  // namespace

unsigned sendString(std::string_view command, char* reply, std::size_t replySize) {
    Outcome outcome = execute(command);
    if (outcome.code == kOk && state().filter) state().filter(command, outcome.reply);
    if (outcome.code == kOk && reply && replySize > 0) {
        const std::size_t n = std::min(outcome.reply.size(), replySize - 1);
        std::memcpy(reply, outcome.reply.data(), n);
        reply[n] = '\0';
    }
    writeLog(command, outcome.code, outcome.reply);
    if (state().observer) state().observer(command, outcome.code, outcome.reply);
    return outcome.code;
}

CommandObserver setCommandObserver(CommandObserver observer) {
    std::swap(state().observer, observer);
    return observer;
}

ReplyFilter setReplyFilter(ReplyFilter filter) {
    std::swap(state().filter, filter);
    return filter;
}

void resetForTesting() {
    state().devices.clear();
}

}  // namespace corvina::mci
