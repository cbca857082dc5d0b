#include "platform/mixer/CdLine.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/ErrorReport.h"

namespace corvina::mixer {
namespace {

// Long enough to gather a drag's changes into one write, short enough that a kill loses little.
constexpr int kSaveDelayMs = 300;
const char kSection[] = "[cd audio]";

QByteArray textOf(const CdLevels& levels) {
    return QStringLiteral("[CD Audio]\nLeft=%1\nRight=%2\nMute=%3\n")
        .arg(levels.left)
        .arg(levels.right)
        .arg(levels.mute ? 1 : 0)
        .toUtf8();
}

}  // namespace

CdLine::CdLine(QString path, std::function<void(const CdLevels&)> apply, QObject* parent)
    : QObject(parent), path_(std::move(path)), apply_(std::move(apply)) {
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(kSaveDelayMs);
    connect(&saveTimer_, &QTimer::timeout, this, [this] { flush(); });

    CdLevels read;
    int badLine = 0;
    QString reason;
    switch (readFile(read, badLine, reason)) {
        case Read::Missing:
        case Read::Ok:
            levels_ = read;
            break;
        case Read::Damaged: {
            levels_ = read;
            const QString stem =
                path_ + QStringLiteral(".corrupt-") +
                QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
            QString copy = stem;
            for (int n = 2; QFileInfo::exists(copy); ++n) copy = stem + QStringLiteral("-%1").arg(n);
            if (QFile::copy(path_, copy)) {
                report(QStringLiteral("音量设置文件“%1”第 %2 行起有无法读取的内容；原文件已另存为“%3”，"
                                      "其余设置照常使用。")
                           .arg(QDir::toNativeSeparators(path_))
                           .arg(badLine)
                           .arg(QDir::toNativeSeparators(copy)));
            } else {
                writable_ = false;
                report(QStringLiteral("音量设置文件“%1”第 %2 行起有无法读取的内容，且无法保存副本；"
                                      "音量设置不会写回该文件。")
                           .arg(QDir::toNativeSeparators(path_))
                           .arg(badLine));
            }
            break;
        }
        case Read::Unreadable:
            writable_ = false;
            report(QStringLiteral("音量设置文件“%1”无法读取（%2），音量设置不会写回该文件。")
                       .arg(QDir::toNativeSeparators(path_), reason));
            break;
    }
    apply_(levels_);
    watch();
    const auto onDisk = [this] {
        if (reload() && changed) changed();
    };
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, onDisk);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, onDisk);
}

CdLine::~CdLine() {
    flush();
}

QString CdLine::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + "/.config";
    return QDir::cleanPath(base + QStringLiteral("/Corvina/Mixer.conf"));
}

CdLine::Read CdLine::readFile(CdLevels& out, int& badLine, QString& reason) {
    out = CdLevels{};
    QFile file(path_);
    if (!file.exists()) return Read::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return Read::Unreadable;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = file.errorString();
        return Read::Unreadable;
    }
    lastText_ = text;
    bool inSection = false;
    int number = 0;
    for (QByteArray line : text.split('\n')) {
        ++number;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
        if (line.startsWith('[')) {
            inSection = line.toLower() == kSection;
            continue;
        }
        const int eq = int(line.indexOf('='));
        bool ok = eq > 0;
        if (ok && inSection) {
            const QByteArray key = line.left(eq).trimmed().toLower();
            const int value = line.mid(eq + 1).trimmed().toInt(&ok);
            if (key == "left" && ok && value >= 0 && value <= 65535) out.left = value;
            else if (key == "right" && ok && value >= 0 && value <= 65535) out.right = value;
            else if (key == "mute" && ok && (value == 0 || value == 1)) out.mute = value == 1;
            else if (key == "left" || key == "right" || key == "mute") ok = false;
            else ok = true;  // a level of a later version: left alone
        }
        if (!ok && badLine == 0) badLine = number;
    }
    return badLine ? Read::Damaged : Read::Ok;
}

void CdLine::report(const QString& message) {
    std::fprintf(stderr, "corvina: %s\n", message.toLocal8Bit().constData());
    reportError(message);
}

void CdLine::watch() {
    // The folder is watched as well as the file: an atomic write replaces the file, and a
    // watch on the file alone would end with the old one.
    const QString folder = QFileInfo(path_).absolutePath();
    QDir().mkpath(folder);
    if (!watcher_.directories().contains(folder)) watcher_.addPath(folder);
    if (QFileInfo::exists(path_) && !watcher_.files().contains(path_)) watcher_.addPath(path_);
}

void CdLine::setLevels(const CdLevels& requested) {
    CdLevels levels = requested;
    levels.left = std::clamp(levels.left, 0, 65535);
    levels.right = std::clamp(levels.right, 0, 65535);
    if (levels == levels_) return;
    levels_ = levels;
    apply_(levels_);
    pending_ = true;
    saveTimer_.start();
}

bool CdLine::flush() {
    saveTimer_.stop();
    if (!pending_) return true;
    pending_ = false;
    if (!writable_) return false;
    const QByteArray text = textOf(levels_);
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QString reason;
    if (!writeFileAtomically(path_, text, &reason)) {
        if (!writeReported_)
            report(QStringLiteral("无法保存音量设置“%1”：%2")
                       .arg(QDir::toNativeSeparators(path_), reason));
        writeReported_ = true;
        return false;
    }
    writeReported_ = false;
    lastText_ = text;
    watch();
    return true;
}

bool CdLine::reload() {
    QFile file(path_);
    if (file.open(QIODevice::ReadOnly) && file.readAll() == lastText_) return false;
    CdLevels read;
    int badLine = 0;
    QString reason;
    const Read result = readFile(read, badLine, reason);
    // A file gone, unreadable or half-written by hand is no reason to drop the levels in
    // effect: only a whole set of levels is taken over.
    if (result != Read::Ok) return false;
    watch();
    if (read == levels_ || pending_) return false;
    levels_ = read;
    apply_(levels_);
    return true;
}

}  // namespace corvina::mixer
