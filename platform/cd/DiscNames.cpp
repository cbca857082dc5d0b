#include "platform/cd/DiscNames.h"

#include <QStringDecoder>

#include "platform/cd/DriveSet.h"

namespace corvina::cd {

QString DiscNames::track(int n) const {
    if (n < 1 || n > static_cast<int>(tracks.size())) return {};
    return tracks[static_cast<std::size_t>(n - 1)];
}

QString DiscNames::orDefault(const QString& name, const QString& fallback) {
    return name.isEmpty() ? fallback : name;
}

DiscNames namesFromText(const std::optional<CdText>& text) {
    DiscNames names;
    if (!text) return names;
    names.artist = text->performer.trimmed();
    names.album = text->title.trimmed();
    for (const QString& title : text->trackTitles) names.tracks.push_back(title.trimmed());
    if (names.artist.isEmpty() && !text->trackPerformers.empty()) {
        const QString first = text->trackPerformers.front().trimmed();
        bool same = true;
        for (const QString& performer : text->trackPerformers)
            same = same && performer.trimmed() == first;
        if (same) names.artist = first;
    }
    return names;
}

DiscNames discNames(const QString& root) {
    const DriveSet& set = DriveSet::instance();
    for (const Drive* drive : {set.byRoot(root), set.defaultDrive()}) {
        if (drive && drive->toc()) return namesFromText(drive->cdText());
    }
    return {};
}

bool allUtf8(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        // Stateless, one name at a time: a name cut off inside a character is not UTF-8, and the
        // start of a character must not be completed by the next name.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        // decode() is lazy: only the conversion to a string does the work and sets the error.
        const QString decoded = utf8.decode(QByteArrayView(name.data(), qsizetype(name.size())));
        if (utf8.hasError()) return false;
    }
    return true;
}

QString decodeName(const std::string& bytes, bool utf8) {
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    if (utf8) return QString::fromUtf8(view);
    QStringDecoder gb("GB18030");
    if (gb.isValid()) {
        // A stray lead byte at the end would wait for a partner that never comes and vanish; a
        // NUL after the name completes nothing, so that byte shows as a replacement character.
        QString text = gb.decode(view.toByteArray() + '\0');
        if (text.endsWith(QChar(u'\0'))) text.chop(1);
        return text;
    }
    return QString::fromLatin1(view);
}

}  // namespace corvina::cd
