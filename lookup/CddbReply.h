#pragma once
// Replies of a CDDB server over HTTP (gnudb, protocol level 6): `cddb query`, which finds the
// entries of a disc, and `cddb read`, which returns one entry in the xmcd format.
//
// A reply is untrusted input. Its text is UTF-8 (protocol 6); an entry that is not valid UTF-8
// is read in the GB code page older Chinese tools wrote (GB18030). Any thread.
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

#include "lookup/Release.h"

namespace corvina::lookup {

struct CddbMatch {
    QString category;  // "rock", "misc", ... : names the entry together with the ID
    QString discId;    // eight hex digits
    QString title;     // "Artist / Album", as the server lists it
};

struct CddbQueryReply {
    enum class Kind {
        Found,      // 200 one match, 210 exact matches, 211 inexact ones
        NotFound,   // 202
        Refused,    // 4xx, 5xx: among them gnudb's refusal of a client it does not know
        Malformed,  // no status line, or a list without its entries
    };
    Kind kind = Kind::Malformed;
    std::vector<CddbMatch> matches;  // in the server's order
    QString status;                  // the status line, for the one line on stderr
};

CddbQueryReply readCddbQuery(QByteArrayView body);

// The entry to read among the matches of a query for the disc `discId`: the first whose ID is
// the disc's own, else the first. Null for none.
const CddbMatch* chooseCddbMatch(const std::vector<CddbMatch>& matches, const QString& discId);

// The xmcd entry of a `cddb read` reply (status 210) for a disc of `tracks` tracks: DTITLE split
// at its first " / " into artist and album (no separator: both are the whole title, as xmcd
// has it), DYEAR as the date, TTITLE0 ... TTITLEn-1 as the track names. A key given on several
// lines continues its value; the escapes \n, \t and \\ are undone. nullopt for another status or
// an entry without a title.
std::optional<Release> readCddbEntry(QByteArrayView body, int tracks);

}  // namespace corvina::lookup
