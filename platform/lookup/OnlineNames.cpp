#include "platform/lookup/OnlineNames.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <list>
#include <memory>

#include "lookup/Cache.h"
#include "lookup/Request.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/VirtualDrive.h"
#include "platform/lookup/DiscId.h"
#include "platform/profile/IniFile.h"
#include "platform/registry/Registry.h"

namespace corvina::lookup {
namespace {

const QString kSettingsKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3");
const QString kLookupKey = QStringLiteral("Software\\Velmaro\\Corvina\\4.3\\Lookup");
const QString kOnlineLookup = QStringLiteral("OnlineLookup");
// Each request's time-out, and how long a helper may run at all before it is stopped (its
// requests, their spacing and a server's asked-for waits fit well within it).
constexpr int kRequestTimeoutMs = 10'000;
constexpr int kHelperLimitMs = 120'000;
// Discs remembered in one run (a player that has seen more forgets the oldest).
constexpr std::size_t kRemembered = 32;
// A disc the poll noticed is considered this long after: by then the first window is on screen
// (a start takes a few tens of milliseconds) and the tick or button that noticed it is done, so
// neither waits for the library, the cache or the helper's start.
constexpr int kConsiderAfterMs = 250;

void say(const QString& line) {
    std::fprintf(stderr, "corvina: %s\n", line.toLocal8Bit().constData());
}

// The drive whose disc cd::discNames names.
const cd::Drive* namedDrive(const QString& root, std::optional<cd::Toc>& toc) {
    const cd::DriveSet& set = cd::DriveSet::instance();
    for (const cd::Drive* drive : {set.byRoot(root), set.defaultDrive()}) {
        if (!drive) continue;
        toc = drive->toc();
        if (toc) return drive;
    }
    return nullptr;
}

// What tells one disc from another in this run.
std::vector<int> keyOf(const cd::Toc& toc) {
    std::vector<int> key;
    key.reserve(toc.tracks.size() + 2);
    for (const cd::TocTrack& track : toc.tracks)
        key.push_back(track.audio ? track.start : -track.start);
    key.push_back(toc.leadOut);
    key.push_back(toc.firstSessionEnd);
    return key;
}

bool sameDisc(const std::vector<int>& key, const cd::Toc& toc) {
    if (key.size() != toc.tracks.size() + 2) return false;
    for (std::size_t i = 0; i < toc.tracks.size(); ++i) {
        const cd::TocTrack& t = toc.tracks[i];
        if (key[i] != (t.audio ? t.start : -t.start)) return false;
    }
    return key[toc.tracks.size()] == toc.leadOut &&
           key[toc.tracks.size() + 1] == toc.firstSessionEnd;
}

bool isDemoDisc(const cd::Drive* drive) {
    const auto* virtualDrive = dynamic_cast<const cd::VirtualDrive*>(drive);
    return virtualDrive && virtualDrive->ripPath().isEmpty();
}

// Whether the title file and the disc's own names leave the artist, the album or an audio track
// unnamed. A key present in the title file names its part even when empty: the title file wins
// there, and a looked-up name would not show.
bool needsNames(const cd::Toc& toc, const cd::DiscNames& own, const QString& section) {
    static const QString absent = QStringLiteral("\x01\x02absent");
    const TIniFile titles(discTitleFilePath());
    const auto unnamed = [&](const QString& key, const QString& ownName) {
        return ownName.isEmpty() && titles.readString(section, key, absent) == absent;
    };
    if (unnamed(QStringLiteral("Artist"), own.artist)) return true;
    if (unnamed(QStringLiteral("Title"), own.album)) return true;
    for (int n = 1; n <= toc.trackCount(); ++n) {
        if (toc.tracks[std::size_t(n - 1)].audio && unnamed(QString::number(n - 1), own.track(n)))
            return true;
    }
    return false;
}

bool lookupsAllowed() {
    TRegistry registry(RootKey::CurrentUser);
    // No settings key (removed while the player runs) holds no switch: the default applies.
    if (!registry.openKey(kSettingsKey, false)) return true;
    return readOnlineLookup(registry);
}

QString helperPath(const QString& forTesting) {
    if (!forTesting.isEmpty()) return forTesting;
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QStringLiteral("/corvina-lookup"),
          dir + QStringLiteral("/" CORVINA_HELPER_FROM_BINDIR "/corvina-lookup")}) {
        if (QFileInfo(candidate).isExecutable()) return candidate;
    }
    return {};
}

enum class State {
    New,       // noticed, to be considered
    Named,     // needs no lookup (named, or the demo disc)
    Off,       // passed over: lookups are off or no server is configured
    Queued,    // waits for the helper
    Running,   // the helper looks it up
    Found,     // names (and maybe a cover) found, now or in an earlier run
    NotFound,  // the servers know no such disc
    Failed,    // the lookup failed; not asked again in this run
};

struct Disc {
    std::vector<int> key;
    QString root;
    QString section;
    State state = State::New;
    DiscIds ids;
    cd::DiscNames names;  // found online (State::Found)
    QString coverUrl;     // file:// URL of the cached cover; empty: none
};

class Lookups : public QObject {
public:
    static Lookups& instance() {
        // Owned by the application: a running helper is stopped when it ends.
        static Lookups* lookups = new Lookups(QCoreApplication::instance());
        return *lookups;
    }

    const Disc* found(const QString& root) const {
        std::optional<cd::Toc> toc;
        if (discs_.empty() || !namedDrive(root, toc)) return nullptr;
        for (const Disc& disc : discs_) {
            if (disc.state == State::Found && sameDisc(disc.key, *toc)) return &disc;
        }
        return nullptr;
    }

    void notice(const QString& root, const QString& section) {
        std::optional<cd::Toc> toc;
        if (!namedDrive(root, toc)) return;
        for (const Disc& disc : discs_) {
            if (sameDisc(disc.key, *toc)) return;
        }
        Disc disc;
        disc.key = keyOf(*toc);
        disc.root = root;
        disc.section = section;
        discs_.push_front(std::move(disc));
        forgetOldest();
        considerLater();
    }

    void settingChanged() {
        bool allowed = false;
        try {
            allowed = lookupsAllowed();
        } catch (const Error& e) {
            say(QStringLiteral("online lookups stay off: %1").arg(e.message()));
        }
        if (allowed) {
            for (Disc& disc : discs_) {
                if (disc.state == State::Off) disc.state = State::New;
            }
            considerLater();
            return;
        }
        stopHelper();
        for (Disc& disc : discs_) {
            if (disc.state == State::Found || disc.state == State::NotFound ||
                disc.state == State::Queued || disc.state == State::Running) {
                disc.state = State::Off;
                disc.names = {};
                disc.coverUrl.clear();
            }
        }
    }

    void reset() {
        stopHelper();
        discs_.clear();
        serversSaid_ = false;
        helperSaid_ = false;
    }

    bool busy() const {
        if (helper_ || considering_) return true;
        for (const Disc& disc : discs_) {
            if (disc.state == State::New || disc.state == State::Queued ||
                disc.state == State::Running)
                return true;
        }
        return false;
    }

    QString helperForTesting;

private:
    explicit Lookups(QObject* parent) : QObject(parent) {}
    ~Lookups() override { stopHelper(); }

    void considerLater() {
        if (considering_) return;
        considering_ = true;
        QTimer::singleShot(kConsiderAfterMs, this, [this] {
            considering_ = false;
            for (auto disc = discs_.begin(); disc != discs_.end();) {
                // A disc gone from the drive before its turn is forgotten: the poll notices it
                // again when it is back.
                if (disc->state == State::New && !consider(*disc))
                    disc = discs_.erase(disc);
                else
                    ++disc;
            }
            startNext();
        });
    }

    // Decides what the disc needs; false when it is no longer in its drive.
    bool consider(Disc& disc) {
        std::optional<cd::Toc> toc;
        const cd::Drive* drive = namedDrive(disc.root, toc);
        if (!drive || !sameDisc(disc.key, *toc)) return false;
        disc.state = decide(disc, drive, *toc);
        return true;
    }

    State decide(Disc& disc, const cd::Drive* drive, const cd::Toc& toc) {
        if (isDemoDisc(drive) || !needsNames(toc, cd::discNames(disc.root), disc.section))
            return State::Named;
        try {
            if (!lookupsAllowed()) return State::Off;
        } catch (const Error& e) {
            // Nothing is sent; the Preferences dialog reports the value when it opens.
            say(QStringLiteral("no online lookup: %1").arg(e.message()));
            return State::Off;
        }
        if (!anyServer()) return State::Off;
        QString error;
        std::optional<DiscIds> ids = discIds(toc, &error);
        if (!ids) {
            say(QStringLiteral("no online lookup: %1").arg(error));
            return State::Failed;
        }
        disc.ids = *ids;
        return load(disc) ? disc.state : State::Queued;
    }

    bool anyServer() {
        QString why;
        const bool any = !serverBase(Server::MusicBrainz, &why).isEmpty() ||
                         !serverBase(Server::Gnudb, &why).isEmpty();
        if (!why.isEmpty() && !serversSaid_) say(why);
        serversSaid_ = true;
        return any;
    }

    // Takes the disc's cache entry; false when there is none to go by.
    bool load(Disc& disc) {
        const std::optional<CacheEntry> entry = readEntry(cacheFolder(), disc.ids.musicBrainz);
        if (!entry || isStale(*entry, QDateTime::currentDateTimeUtc())) return false;
        if (!entry->found) {
            disc.state = State::NotFound;
            return true;
        }
        disc.state = State::Found;
        disc.names.artist = entry->chosen.artist;
        disc.names.album = entry->chosen.album;
        disc.names.tracks = entry->chosen.tracks;
        disc.coverUrl.clear();
        if (!entry->cover.isEmpty()) {
            const QString path = cacheFolder() + QLatin1Char('/') + entry->cover;
            if (QFileInfo::exists(path)) disc.coverUrl = QUrl::fromLocalFile(path).toString();
        }
        return true;
    }

    void startNext() {
        if (helper_) return;
        Disc* next = nullptr;
        for (Disc& disc : discs_) {
            if (disc.state == State::Queued) next = &disc;  // the oldest first
        }
        if (!next) return;
        const QString program = helperPath(helperForTesting);
        if (program.isEmpty()) {
            if (!helperSaid_)
                say(QStringLiteral("online lookups need corvina-lookup beside the player"));
            helperSaid_ = true;
            next->state = State::Failed;
            return startNext();
        }

        LookupRequest request;
        request.cacheFolder = cacheFolder();
        request.discId = next->ids.musicBrainz;
        request.toc = next->ids.toc;
        request.freedbId = next->ids.freedb;
        request.cddbQuery = next->ids.cddbQuery;
        request.audioTracks = next->ids.audioTracks;
        request.gnudbEmail = gnudbEmail();
        request.timeoutMs = kRequestTimeoutMs;

        next->state = State::Running;
        runningKey_ = next->key;
        helper_ = std::make_unique<QProcess>();
        helper_->setProgram(program);
        helper_->setArguments(toArguments(request));
        // Its one line about a failure goes where the player's own would.
        helper_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcess* process = helper_.get();
        connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
            process->readAllStandardOutput();
            if (Disc* disc = running()) load(*disc);
        });
        connect(process, &QProcess::finished, this, [this] { helperEnded(); });
        connect(process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) return;
            say(QStringLiteral("cannot start corvina-lookup: %1").arg(helper_->errorString()));
            helperEnded();
        });
        QTimer::singleShot(kHelperLimitMs, process, [process] { process->kill(); });
        helper_->start();
    }

    // The disc the helper looks up (its names may be found before its cover).
    Disc* running() {
        if (runningKey_.empty()) return nullptr;
        for (Disc& disc : discs_) {
            if (disc.key == runningKey_ &&
                (disc.state == State::Running || disc.state == State::Found))
                return &disc;
        }
        return nullptr;
    }

    void helperEnded() {
        if (Disc* disc = running()) {
            if (!load(*disc)) disc->state = State::Failed;  // the helper said why
        }
        if (helper_) {
            helper_->disconnect(this);
            helper_.release()->deleteLater();
        }
        runningKey_.clear();
        QTimer::singleShot(0, this, [this] { startNext(); });
    }

    void stopHelper() {
        if (!helper_) return;
        helper_->disconnect(this);
        helper_->kill();
        helper_->waitForFinished(1000);
        helper_.reset();
        runningKey_.clear();
    }

    void forgetOldest() {
        while (discs_.size() > kRemembered) {
            auto oldest = std::prev(discs_.end());
            if (oldest->state == State::Running) break;
            discs_.erase(oldest);
        }
    }

    std::list<Disc> discs_;  // the newest first
    std::unique_ptr<QProcess> helper_;
    std::vector<int> runningKey_;
    bool considering_ = false;
    bool serversSaid_ = false;
    bool helperSaid_ = false;
};

}  // namespace

cd::DiscNames discNames(const QString& root) {
    cd::DiscNames names = cd::discNames(root);
    const Disc* disc = Lookups::instance().found(root);
    if (!disc) return names;
    const cd::DiscNames& online = disc->names;
    if (names.artist.isEmpty()) names.artist = online.artist;
    if (names.album.isEmpty()) names.album = online.album;
    if (names.tracks.size() < online.tracks.size()) names.tracks.resize(online.tracks.size());
    for (std::size_t i = 0; i < online.tracks.size(); ++i) {
        if (names.tracks[i].isEmpty()) names.tracks[i] = online.tracks[i];
    }
    return names;
}

QString coverArtUrl(const QString& root) {
    const Disc* disc = Lookups::instance().found(root);
    return disc ? disc->coverUrl : QString();
}

void noticeDisc(const QString& root, const QString& section) {
    Lookups::instance().notice(root, section);
}

void settingChanged() {
    Lookups::instance().settingChanged();
}

bool readOnlineLookup(const TRegistry& registry) {
    return !registry.valueExists(kOnlineLookup) || registry.readBool(kOnlineLookup);
}

QString gnudbEmail() {
    TRegistry registry(RootKey::CurrentUser);
    QString email;
    if (registry.openKey(kLookupKey, false)) {
        try {
            email = registry.readString(QStringLiteral("GnudbEmail")).trimmed();
        } catch (const Error&) {
            email.clear();  // another type than a string: as if unset
        }
    }
    if (email.isEmpty()) return contactAddress();
    if (isHelloEmail(email)) return email;
    say(QStringLiteral("GnudbEmail \"%1\" is no plain e-mail address; gnudb is asked as %2")
            .arg(email, contactAddress()));
    return contactAddress();
}

void resetForTesting() {
    Lookups::instance().reset();
}

void setHelperForTesting(const QString& path) {
    Lookups::instance().helperForTesting = path;
}

bool busyForTesting() {
    return Lookups::instance().busy();
}

}  // namespace corvina::lookup
