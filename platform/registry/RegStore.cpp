#include "platform/registry/RegStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/ErrorReport.h"
#include "platform/FileDescriptor.h"

namespace corvina::registry {

namespace {

struct FileId {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    time_t sec = 0;
    long nsec = 0;
    bool operator==(const FileId&) const = default;
};

FileId identify(const struct stat& st) {
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

FileId identify(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return identify(st);
}

struct RootState {
    QString path;  // the file the tree was read from
    FileId id;     // ... and its identity then
    bool loaded = false;
    bool writable = true;  // false: what is on disk could not be read, or kept, completely
    QByteArray bytes;      // the file's text as read or written
    RegKey tree;
    FileId reportedId;             // the damaged file last reported
    QString pendingReport;         // shown once the store is consistent and unlocked
    bool pendingIsNotice = false;  // the store recovered by itself: nothing is wrong any more
};

RootState& state(RootKey root) {
    static RootState states[2];
    return states[root == RootKey::CurrentUser ? 0 : 1];
}

QString keepCopy(const QString& path, const QByteArray& bytes) {
    const QString stem = path + QStringLiteral(".corrupt-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString copy = stem;
    for (int n = 2; QFileInfo::exists(copy); ++n) copy = stem + QStringLiteral("-%1").arg(n);
    return writeFileAtomically(copy, bytes, nullptr, 0600) ? copy : QString();
}

void refresh(RootKey root) {
    RootState& s = state(root);
    const QString path = storeFilePath(root);
    if (s.loaded && s.path == path && s.id == identify(path)) return;
    s = RootState{path, {}, true, true, {}, {}, s.reportedId, s.pendingReport, s.pendingIsNotice};
    QFile file(path);
    if (!file.exists()) return;
    struct stat st {};
    if (!file.open(QIODevice::ReadOnly) || ::fstat(file.handle(), &st) != 0) {
        s.id = identify(path);
        s.writable = false;
        if (s.reportedId == s.id) return;
        s.reportedId = s.id;
        s.pendingReport = QStringLiteral("设置文件“%1”无法读取（%2），设置不会写回该文件。")
                              .arg(QDir::toNativeSeparators(path), file.errorString());
        return;
    }
    s.id = identify(st);
    s.bytes = file.readAll();
    ParseResult parsed = parseRegFile(s.bytes, rootName(root));
    s.tree = std::move(parsed.root);
    if (parsed.badLines == 0 || s.reportedId == s.id) return;
    s.reportedId = s.id;
    const QString copy = keepCopy(path, s.bytes);
    if (copy.isEmpty()) {
        // Without a copy the damaged lines would be lost by the next write.
        s.writable = false;
        s.pendingReport = QStringLiteral(
                              "设置文件“%1”第 %2 行起有无法读取的内容，且无法保存副本；"
                              "设置不会写回该文件。")
                              .arg(QDir::toNativeSeparators(path))
                              .arg(parsed.firstBadLine);
    } else {
        // With the original safe, the store starts afresh, as on a first start: the player
        // writes its defaults again and the next write leaves a clean file. Going on with the
        // readable part would leave settings missing, and every later use would fail on them.
        s.tree = parseRegFile(QByteArray(), rootName(root)).root;
        s.bytes.clear();
        s.pendingIsNotice = true;
        s.pendingReport = QStringLiteral(
                              "设置文件“%1”第 %2 行起有无法读取的内容，已恢复默认设置；"
                              "原文件已另存为“%3”。")
                              .arg(QDir::toNativeSeparators(path))
                              .arg(parsed.firstBadLine)
                              .arg(QDir::toNativeSeparators(copy));
    }
}

// The report may open a message box with an event loop of its own, which may use the store
// again; so it is shown only when the store is consistent and no lock is held.
void showPendingReport(RootKey root) {
    const QString message = std::exchange(state(root).pendingReport, QString());
    if (message.isEmpty()) return;
    if (std::exchange(state(root).pendingIsNotice, false)) {
        showNotice(message);
        return;
    }
    std::fprintf(stderr, "corvina: %s\n", message.toLocal8Bit().constData());
    reportError(message);
}

}  // namespace

QString storeFolder() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + "/.config";
    return QDir::cleanPath(base + QStringLiteral("/Corvina"));
}

QString storeFilePath(RootKey root) {
    return storeFolder() + (root == RootKey::CurrentUser ? QStringLiteral("/HKCU.reg")
                                                         : QStringLiteral("/HKLM.reg"));
}

QString rootName(RootKey root) {
    return root == RootKey::CurrentUser ? QStringLiteral("HKEY_CURRENT_USER")
                                        : QStringLiteral("HKEY_LOCAL_MACHINE");
}

const RegKey& currentTree(RootKey root) {
    refresh(root);
    showPendingReport(root);
    return state(root).tree;
}

bool updateTree(RootKey root, const std::function<bool(RegKey&)>& change) {
    bool written = false;
    {
        const QString folder = storeFolder();
        if (!QDir().mkpath(folder)) return false;
        // Serialises read-modify-write between players sharing the folder.
        FileDescriptor lock(
            ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (lock.get() < 0) return false;
        while (::flock(lock.get(), LOCK_EX) != 0)
            if (errno != EINTR) return false;

        refresh(root);
        RootState& s = state(root);
        RegKey copy = s.tree;
        if (s.writable && change(copy)) {
            const QByteArray text = formatRegFile(copy, rootName(root));
            written = (s.id.exists && text == s.bytes) ||
                      writeFileAtomically(s.path, text, nullptr, 0600, Durability::Replacing);
            if (written) {
                s.tree = std::move(copy);
                s.bytes = text;
                s.id = identify(s.path);
            }
        }
    }
    showPendingReport(root);
    return written;
}

}  // namespace corvina::registry
