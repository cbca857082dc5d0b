#include "platform/desktop/DesktopFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>

#include "platform/AtomicFile.h"
#include "platform/ErrorReport.h"
#include "platform/desktop/MimeApps.h"
#include "resources/Skin.h"

namespace corvina::desktop {
namespace {

const QByteArray kMark = QByteArrayLiteral("X-Corvina-Integration=true");
const QString kIconMarkKey = QStringLiteral("Software");
const QString kIconMark = QStringLiteral("Corvina");

[[noreturn]] void fail(const QString& path) {
    throw Error(QStringLiteral("Failed to set data for '%1'").arg(path));
}

QString configHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString dataHome() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString iconThemeFolder() {
    return dataHome() + QStringLiteral("/icons/hicolor");
}

// The file's bytes; empty when it does not exist. A file that exists but cannot be read is not
// replaced blindly: that would lose what is in it.
QByteArray readFile(const QString& path, bool* exists = nullptr) {
    QFile file(path);
    const bool there = file.exists();
    if (exists) *exists = there;
    if (!there) return {};
    if (!file.open(QIODevice::ReadOnly)) fail(path);
    return file.readAll();
}

void writeIfChanged(const QString& path, const QByteArray& bytes) {
    bool exists = false;
    if (readFile(path, &exists) == bytes && exists) return;
    writeFileAtomically(path, bytes);
}

bool isPlayersIcon(const QString& path) {
    // Ours is a PNG; read only as one, so no image-format plugin is loaded to ask about it.
    QImageReader reader(path, QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    return reader.canRead() && reader.text(kIconMarkKey) == kIconMark;
}

// The entry's lines, with Exec for `executable` and the player's mark last.
QByteArray entryFor(const QString& executable, const QString& arguments,
                    const QList<QByteArray>& keep) {
    QFile source(QStringLiteral(":/desktop/corvina.desktop"));
    if (!source.open(QIODevice::ReadOnly)) return {};
    QByteArray out;
    for (const QByteArray& line : source.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        // The key without its locale: "Comment[zh_CN]" counts as "Comment".
        const QByteArray base = line.left(line.indexOf('=')).split('[').front();
        if (line.startsWith('[')) {
            out += line + '\n';
        } else if (base == "Exec") {
            QString exec = execArgument(executable);
            if (!arguments.isEmpty()) exec += QLatin1Char(' ') + arguments;
            out += "Exec=" + exec.toUtf8() + '\n';
        } else if (keep.isEmpty() || keep.contains(base)) {
            out += line + '\n';
        }
    }
    return out + kMark + '\n';
}

}  // namespace

QString autostartEntryPath() {
    return configHome() + QStringLiteral("/autostart/") + QLatin1String(kDesktopId);
}

QString applicationEntryPath() {
    return dataHome() + QStringLiteral("/applications/") + QLatin1String(kDesktopId);
}

QString mimeAppsPath() {
    return configHome() + QStringLiteral("/mimeapps.list");
}

QString IconFile::path() const {
    return QStringLiteral("%1/%2x%2/%3/%4.png").arg(iconThemeFolder()).arg(size).arg(context, name);
}

std::vector<IconFile> iconFiles() {
    return {
        {QStringLiteral("MAINICON16"), 16, QStringLiteral("apps"), QStringLiteral("corvina")},
        {QStringLiteral("MAINICON"), 32, QStringLiteral("apps"), QStringLiteral("corvina")},
        {QStringLiteral("AudioCD"), 32, QStringLiteral("mimetypes"),
         QStringLiteral("corvina-audiocd")},
        {QStringLiteral("CdaFile"), 32, QStringLiteral("mimetypes"),
         QStringLiteral("corvina-cdafile")},
        {QStringLiteral("AudioCD"), 32, QStringLiteral("mimetypes"),
         QStringLiteral("x-content-audio-cdda")},
    };
}

QString execArgument(const QString& program) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString arg = program;
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    bool needsQuotes = false;
    for (QChar c : arg) needsQuotes = needsQuotes || reserved.contains(c);
    if (needsQuotes) {
        QString quoted;
        for (QChar c : arg) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                quoted += QLatin1Char('\\');
            quoted += c;
        }
        arg = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // The escapes of a string value come on top of the quoting.
    QString value;
    for (QChar c : arg) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

QByteArray applicationEntry(const QString& executable) {
    // The desktop passes the disc or file it was started for; the player reads no arguments.
    return entryFor(executable, QStringLiteral("%U"), {});
}

QByteArray autostartEntry(const QString& executable) {
    return entryFor(
        executable, QString(),
        {"Type", "Version", "Name", "Comment", "Icon", "Exec", "Terminal", "StartupWMClass"});
}

bool isPlayersEntry(const QByteArray& entry) {
    for (const QByteArray& line : entry.split('\n'))
        if (line.trimmed() == kMark) return true;
    return false;
}

QByteArray iconBytes(const QImage& image) {
    QImage marked = image;
    marked.setText(kIconMarkKey, kIconMark);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    marked.save(&buffer, "PNG");
    return bytes;
}

void writeFileAtomically(const QString& path, const QByteArray& bytes) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) ||
        !corvina::writeFileAtomically(path, bytes))
        fail(path);
}

void removeFile(const QString& path) {
    QFile file(path);
    if (file.exists() && !file.remove()) fail(path);
}

void setAutostart(bool on, const QString& executable) {
    const QString path = autostartEntryPath();
    if (on)
        writeIfChanged(path, autostartEntry(executable));
    else if (isPlayersEntry(readFile(path)))
        removeFile(path);
}

void setApplicationEntry(bool on, const QString& executable) {
    const QString path = applicationEntryPath();
    if (on)
        writeIfChanged(path, applicationEntry(executable));
    else if (isPlayersEntry(readFile(path)))
        removeFile(path);
}

void setDefaultCdPlayer(bool on) {
    const QString path = mimeAppsPath();
    bool exists = false;
    const QByteArray text = readFile(path, &exists);
    const QByteArray changed = on ? setDefaultApplication(text, kAudioCdType, kDesktopId)
                                  : unsetDefaultApplication(text, kAudioCdType, kDesktopId);
    if (changed == text) return;
    // Left with nothing, it was a file the player made: it goes with the player's line.
    if (changed.isEmpty())
        removeFile(path);
    else
        writeFileAtomically(path, changed);
}

void setIcons(bool on) {
    bool changed = false;
    for (const IconFile& icon : iconFiles()) {
        const QString path = icon.path();
        if (on) {
            const QByteArray bytes = iconBytes(skin::picture(icon.picture));
            bool exists = false;
            if (readFile(path, &exists) == bytes && exists) continue;
            writeFileAtomically(path, bytes);
            changed = true;
        } else if (QFileInfo::exists(path) && isPlayersIcon(path)) {
            removeFile(path);
            changed = true;
        }
    }
    // Icon caches and desktops notice a theme change by the time stamp of its folder.
    if (changed)
        ::utimensat(AT_FDCWD, QFile::encodeName(iconThemeFolder()).constData(), nullptr, 0);
}

}  // namespace corvina::desktop
