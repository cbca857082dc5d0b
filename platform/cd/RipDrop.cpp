#include "platform/cd/RipDrop.h"

#include <QDir>
#include <QFileInfo>

#include "platform/FolderEntries.h"
#include "platform/cd/CdioImage.h"
#include "platform/cd/DiscImage.h"

namespace corvina::cd {
namespace {

bool isImageName(const QString& suffix) {
    return suffix == QLatin1String("cue") || suffix == QLatin1String("nrg");
}

}  // namespace

std::optional<QString> ripInDrop(const QList<QUrl>& urls, QString& refusal) {
    refusal.clear();
    const QString what = QStringLiteral("可以放入一个 .cue 文件、.nrg 光盘映像，或装有 .wav/.flac 文件的文件夹");
    if (urls.size() != 1) {
        refusal = urls.isEmpty() ? what : QStringLiteral("一次只能放入一张唱片：") + what;
        return std::nullopt;
    }
    if (!urls.front().isLocalFile()) {
        refusal = QStringLiteral("只能放入本机上的唱片：") + what;
        return std::nullopt;
    }
    const QFileInfo info(urls.front().toLocalFile());
    if (!info.exists()) {
        refusal = QStringLiteral("找不到 %1").arg(QDir::toNativeSeparators(info.filePath()));
        return std::nullopt;
    }
    if (info.isDir()) {
        const QDir dir(info.filePath());
        if (!folderEntries(dir, QDir::Files, isTrackFileName).isEmpty() ||
            folderEntries(dir, QDir::Files, isCueFileName).size() == 1)
            return info.absoluteFilePath();
        refusal = QStringLiteral("这个文件夹里没有 .wav 或 .flac 文件：") + what;
        return std::nullopt;
    }
    if (isImageName(info.suffix().toLower())) return info.absoluteFilePath();
    refusal = QStringLiteral("%1 不是唱片：").arg(info.fileName()) + what;
    return std::nullopt;
}

std::shared_ptr<DiscSource> loadRip(const QString& path, QString& error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("nrg")) return loadCdioImage(path, error);
    return loadDiscImage(path, error);
}

}  // namespace corvina::cd
