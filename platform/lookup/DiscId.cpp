#include "platform/lookup/DiscId.h"

#include <discid/discid.h>

#include <memory>

#include "platform/RuntimeLibrary.h"

namespace corvina::lookup {
namespace {

#define CORVINA_DISCID_FUNCTIONS(X) \
    X(discid_new)                   \
    X(discid_free) X(discid_put) X(discid_get_id) X(discid_get_freedb_id) X(discid_get_error_msg)

struct Discid {
    CORVINA_DISCID_FUNCTIONS(CORVINA_LIBRARY_POINTER)
};

const Discid* discid(std::string* error) {
    return loadLibraryOnce<Discid>(
        CORVINA_DISCID_SONAME,
        [](RuntimeLibrary& lib, Discid& api) { CORVINA_DISCID_FUNCTIONS(CORVINA_LIBRARY_BIND) },
        error);
}

struct Session {
    int last = 0;     // tracks 1 .. last
    int leadOut = 0;  // frame just past the last of them
};

// The part of the disc MusicBrainz counts.
Session audioSession(const cd::Toc& toc) {
    Session s{toc.trackCount(), toc.leadOut};
    if (toc.firstSessionEnd > 0) {
        s.last = 0;
        while (s.last < toc.trackCount() && toc.trackStart(s.last + 1) < toc.firstSessionEnd)
            ++s.last;
        s.leadOut = toc.firstSessionEnd;
        return s;
    }
    // Trailing data tracks without a session end in the TOC (a rip of an enhanced CD).
    while (s.last > 1 && !toc.tracks[std::size_t(s.last - 1)].audio) {
        s.leadOut = toc.trackStart(s.last);
        --s.last;
    }
    return s;
}

}  // namespace

std::optional<DiscIds> discIds(const cd::Toc& toc, QString* error) {
    const auto fail = [error](const QString& why) -> std::optional<DiscIds> {
        if (error) *error = why;
        return std::nullopt;
    };
    std::string loadError;
    const Discid* api = discid(&loadError);
    if (!api) return fail(QString::fromStdString(loadError));
    if (toc.trackCount() < 1 || toc.trackCount() > 99) return fail(QStringLiteral("no tracks"));
    // A TOC no pressed disc can have would only find nonsense.
    for (int n = 1; n <= toc.trackCount(); ++n) {
        const int end = n < toc.trackCount() ? toc.trackStart(n + 1) : toc.leadOut;
        if (toc.trackStart(n) < 0 || toc.trackStart(n) >= end)
            return fail(QStringLiteral("the tracks are out of order"));
    }

    const std::unique_ptr<DiscId, decltype(api->discid_free)> handle(api->discid_new(),
                                                                     api->discid_free);
    if (!handle) return fail(QStringLiteral("out of memory"));
    const auto put = [&](int last, int leadOut) {
        int offsets[100] = {};
        offsets[0] = leadOut;
        for (int n = 1; n <= last; ++n) offsets[n] = toc.trackStart(n);
        return api->discid_put(handle.get(), 1, last, offsets) != 0;
    };

    DiscIds ids;
    const Session session = audioSession(toc);
    if (session.last < 1 || !put(session.last, session.leadOut))
        return fail(QString::fromUtf8(api->discid_get_error_msg(handle.get())));
    ids.musicBrainz = QString::fromLatin1(api->discid_get_id(handle.get()));
    ids.audioTracks = session.last;
    ids.toc = QStringLiteral("1 %1 %2").arg(session.last).arg(session.leadOut);
    for (int n = 1; n <= session.last; ++n)
        ids.toc += QLatin1Char(' ') + QString::number(toc.trackStart(n));

    if (!put(toc.trackCount(), toc.leadOut))
        return fail(QString::fromUtf8(api->discid_get_error_msg(handle.get())));
    ids.freedb = QString::fromLatin1(api->discid_get_freedb_id(handle.get()));
    ids.cddbQuery = QString::number(toc.trackCount());
    for (int n = 1; n <= toc.trackCount(); ++n)
        ids.cddbQuery += QLatin1Char(' ') + QString::number(toc.trackStart(n));
    ids.cddbQuery += QLatin1Char(' ') + QString::number(toc.leadOut / cd::kFramesPerSecond);
    return ids;
}

}  // namespace corvina::lookup
