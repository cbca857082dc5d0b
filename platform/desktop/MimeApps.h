#pragma once
// Edits of the user's mimeapps.list (the freedesktop MIME applications file) that change only
// the one line concerned: every other line, its comments and its line ends stay byte for byte.
//
// The default for a type is the line "type=first.desktop;second.desktop;" in the group
// [Default Applications]. Setting the player's entry puts it first and keeps the others behind
// it as fallbacks; unsetting takes out only the player's entry, so a set followed by an unset
// gives back the text it started from. Pure functions; safe on any thread.
#include <QByteArray>
#include <QList>

namespace corvina::desktop {

// `text` with `desktopId` first among the defaults for `mimeType` (the group and the line are
// added at the end when missing; the text is returned unchanged when it is first already).
QByteArray setDefaultApplication(const QByteArray& text, const QByteArray& mimeType,
                                 const QByteArray& desktopId);

// `text` without `desktopId` among the defaults for `mimeType`: a line left without entries goes,
// and so does a [Default Applications] header left without any line below it.
QByteArray unsetDefaultApplication(const QByteArray& text, const QByteArray& mimeType,
                                   const QByteArray& desktopId);

// The defaults for `mimeType`, in order (for tests and the check at opening).
QList<QByteArray> defaultApplications(const QByteArray& text, const QByteArray& mimeType);

}  // namespace corvina::desktop
