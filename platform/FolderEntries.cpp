#include "platform/FolderEntries.h"

namespace corvina {

QStringList folderEntries(const QDir& folder, QDir::Filters filters,
                          const std::function<bool(const QString& name)>& accept) {
    QStringList names = folder.entryList(filters);
    names.removeIf([&](const QString& name) { return !accept(name); });
    return names;
}

bool hasSuffix(const QString& name, std::initializer_list<QStringView> suffixes) {
    for (QStringView suffix : suffixes) {
        const qsizetype dot = name.size() - suffix.size() - 1;
        if (dot >= 0 && name.at(dot) == QLatin1Char('.') &&
            QStringView(name).sliced(dot + 1).compare(suffix, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

}  // namespace corvina
