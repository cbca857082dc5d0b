// corvina-lookup: finds a disc's names online for the player, writes them to the cache and says
// on stdout when they are there (Session.h). The player starts it with the request on the
// command line (lookup/Request.h) and reads the cache when it ends or speaks.
//
// The lookup runs in a process of its own rather than in the player: the network and TLS
// libraries (and their memory) are then mapped only while a disc is being looked up, never for
// a player whose discs are named, and a reply that tripped up its reader could end only this
// process, never the music.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "lookup/Request.h"
#include "lookup/helper/Session.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString error;
    const std::optional<corvina::lookup::LookupRequest> request =
        corvina::lookup::fromArguments(app.arguments().mid(1), &error);
    if (!request) {
        std::fprintf(stderr, "corvina-lookup: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    corvina::lookup::Session session(*request, [](int code) { QCoreApplication::exit(code); });
    // From the event loop, so that a lookup ending at once still ends the loop.
    QTimer::singleShot(0, &session, [&session] { session.start(); });
    return app.exec();
}
