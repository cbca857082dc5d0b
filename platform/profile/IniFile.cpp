#include "platform/profile/IniFile.h"

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cerrno>
#include <memory>

#include "platform/AtomicFile.h"
#include "platform/ErrorReport.h"
#include "platform/FileDescriptor.h"
#include "platform/profile/ProfileText.h"

namespace corvina {

namespace {

using profile::ProfileText;
using profile::SectionIndex;

// No title file comes near this; refusing larger files keeps a wrong path from eating memory.
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
constexpr int kCachedFiles = 4;
// Larger files are kept as an index of their sections, whose text is read when asked for: a
// title file of many thousand discs would otherwise stay in memory whole, several times over.
constexpr qint64 kIndexedFrom = 1024 * 1024;

// What identifies one version of a file on disk. The change time moves on every write and
// cannot be set back by hand, so an edit within the same second is seen even when it keeps
// the size and restores the modification time.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    Stamp() = default;
    explicit Stamp(const struct stat& st)
        : device(st.st_dev),
          inode(st.st_ino),
          size(st.st_size),
          modified(st.st_mtim),
          changed(st.st_ctim) {}
    bool operator==(const Stamp& o) const {
        return device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

// The section of an indexed file read last: the tick asks for the same disc every second.
struct LastSection {
    QString name;
    std::shared_ptr<const ProfileText> text;
};

// A file's parsed text, or for a large one the index of its sections.
struct Parsed {
    std::shared_ptr<const ProfileText> text;
    std::shared_ptr<const SectionIndex> index;
    std::shared_ptr<LastSection> last;  // with the index
};

Parsed parse(QByteArray bytes) {
    if (bytes.size() >= kIndexedFrom)
        return {nullptr, std::make_shared<const SectionIndex>(bytes),
                std::make_shared<LastSection>()};
    return {std::make_shared<const ProfileText>(std::move(bytes)), nullptr, nullptr};
}

struct Cached {
    Stamp stamp;
    Parsed parsed;
    quint64 lastUse;
};

QHash<QString, Cached>& cache() {
    static QHash<QString, Cached> files;
    return files;
}

quint64 nextUse() {
    static quint64 counter = 0;
    return ++counter;
}

QHash<QString, QString>& redirects() {
    static QHash<QString, QString> map;
    return map;
}

void remember(const QString& path, const Stamp& stamp, Parsed parsed) {
    auto& files = cache();
    if (!files.contains(path) && files.size() >= kCachedFiles) {
        auto oldest = files.begin();
        for (auto it = files.begin(); it != files.end(); ++it)
            if (it->lastUse < oldest->lastUse) oldest = it;
        files.erase(oldest);
    }
    files.insert(path, Cached{stamp, std::move(parsed), nextUse()});
}

struct Loaded {
    enum State { Missing, Read, Unreadable } state;
    Parsed parsed;
    Stamp stamp;
};

Loaded::State failureState(int error) {
    return error == ENOENT || error == ENOTDIR ? Loaded::Missing : Loaded::Unreadable;
}

// The whole of the open file `fd` (of `st`); false when it cannot be read.
bool readWhole(int fd, const struct stat& st, QByteArray& bytes) {
    bytes = QByteArray(st.st_size, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;  // shrank meanwhile; the stamp will differ on the next read
        got += n;
    }
    bytes.truncate(got);
    return true;
}

// The file as it is on disk now: from the cache when its stamp still matches. `whole`: the
// text itself is wanted (to edit it), even of a file kept as an index.
Loaded load(const QString& path, bool whole = false) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        cache().remove(path);
        return {failureState(error), {}, {}};
    }
    const auto it = cache().find(path);
    if (it != cache().end() && it->stamp == Stamp(st)) {
        if (it->parsed.text || !whole) {
            it->lastUse = nextUse();
            return {Loaded::Read, it->parsed, it->stamp};
        }
    } else if (it != cache().end()) {
        cache().erase(it);  // another version of the file
    }

    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {failureState(errno), {}, {}};
    const FileDescriptor closer(fd);
    // The stamp of what is actually read: the file may have been replaced since the stat.
    QByteArray bytes;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes ||
        !readWhole(fd, st, bytes))
        return {Loaded::Unreadable, {}, {}};
    if (whole) {
        auto text = std::make_shared<const ProfileText>(std::move(bytes));
        if (text->bytes().size() < kIndexedFrom)
            remember(path, Stamp(st), {text, nullptr, nullptr});
        return {Loaded::Read, {text, nullptr, nullptr}, Stamp(st)};
    }
    Parsed parsed = parse(std::move(bytes));
    // The text of a file kept as an index (19 MB for 100,000 discs) was read only to be indexed:
    // what the allocator kept of it and of the index's growth goes back to the system.
    if (parsed.index) ::malloc_trim(0);
    remember(path, Stamp(st), parsed);
    return {Loaded::Read, parsed, Stamp(st)};
}

// The text of section `section` of a file kept as an index, read from the file (or kept from
// the last read); null when there is no such section. Nothing when the file is no longer the
// one indexed (it changed since the stat).
std::optional<std::shared_ptr<const ProfileText>> indexedSection(const QString& path,
                                                                 const Loaded& file,
                                                                 const QString& section) {
    LastSection& last = *file.parsed.last;
    if (last.text && last.name == section) return last.text;
    const std::vector<qint64> begins = file.parsed.index->candidates(section);
    if (begins.empty()) return nullptr;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    const FileDescriptor closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(Stamp(st) == file.stamp)) return std::nullopt;
    for (const qint64 begin : begins) {
        // A disc's section is a few hundred bytes; a longer one is read on, four times as far.
        QByteArray bytes;
        qsizetype length = -1;
        qsizetype got = 0;
        for (qsizetype want = 4096; length < 0; want *= 4) {
            bytes.resize(want);
            while (got < want) {
                const ssize_t n = ::pread(fd, bytes.data() + got, size_t(want - got), begin + got);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) return std::nullopt;
                if (n == 0) break;  // the end of the file
                got += n;
            }
            bytes.truncate(got);
            length = SectionIndex::sectionLength(bytes, got < want);
        }
        bytes.truncate(length);
        auto text = std::make_shared<const ProfileText>(std::move(bytes));
        if (!text->hasSection(section)) continue;
        last = {section, text};
        return text;
    }
    return nullptr;
}

bool exists(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

}  // namespace

TIniFile::TIniFile(const QString& fileName)
    : fileName_(fileName),
      path_(fileName.isEmpty() ? fileName : QFileInfo(fileName).absoluteFilePath()) {}

QString TIniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const auto redirect = redirects().constFind(path_);
    const bool useTarget = redirect != redirects().cend() && exists(*redirect);
    const QString path = useTarget ? *redirect : path_;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Loaded file = load(path);
        if (file.parsed.text) return file.parsed.text->value(section, key).value_or(def);
        if (!file.parsed.index) return def;
        if (const auto found = indexedSection(path, file, section))
            return *found ? (*found)->value(section, key).value_or(def) : def;
        cache().remove(path);  // replaced since the stat: read it again
    }
    return def;
}

void TIniFile::writeString(const QString& section, const QString& key, const QString& value) {
    if (updating_)
        pending_.push_back({section, key, value});
    else
        write({{section, key, value}});
}

void TIniFile::beginUpdate() {
    updating_ = true;
}

void TIniFile::endUpdate() {
    updating_ = false;
    const std::vector<profile::Edit> edits = std::move(pending_);
    pending_.clear();
    if (!edits.empty()) write(edits);
}

void TIniFile::write(const std::vector<profile::Edit>& edits) {
    const QString target = redirects().value(path_, path_);
    const QString source = target != path_ && !exists(target) ? path_ : target;
    const QString failure = QStringLiteral("Unable to write to %1").arg(target);

    const Loaded current = load(source, true);
    // A file that exists but cannot be read must not be replaced by one holding only this value.
    if (current.state == Loaded::Unreadable) throw Error(failure);
    const ProfileText empty;
    const std::optional<QByteArray> edited =
        (current.parsed.text ? *current.parsed.text : empty).withValues(edits);
    if (!edited) return;

    const QByteArray native = QFile::encodeName(target);
    // A rename would replace a file marked read-only; the file's own protection must hold.
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0)
        throw Error(failure);
    if (target != path_) QDir().mkpath(QFileInfo(target).absolutePath());
    if (target.isEmpty() || !writeFileAtomically(target, *edited)) throw Error(failure);

    struct stat st {};
    if (::stat(native.constData(), &st) == 0)
        remember(target, Stamp(st), parse(*edited));
    else
        cache().remove(target);
}

void redirectProfileWrites(const QString& fileName, const QString& target) {
    redirects().insert(QFileInfo(fileName).absoluteFilePath(),
                       QFileInfo(target).absoluteFilePath());
}

}  // namespace corvina
