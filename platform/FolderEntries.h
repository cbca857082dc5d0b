#pragma once
// Listing a folder's entries by a test on their names, without wildcard patterns: the toolkit
// turns each name pattern into a regular expression and compiles it, which brings the whole
// regular-expression engine into a process that otherwise never needs it (on every start, for
// the disc folder and the settings file's leftovers).
//
// Any thread.
#include <QDir>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <initializer_list>

namespace corvina {

// The names of the entries of `folder` that pass `filters` and `accept`, in the folder's sort
// order.
QStringList folderEntries(const QDir& folder, QDir::Filters filters,
                          const std::function<bool(const QString& name)>& accept);

// Whether `name` ends in "." and one of `suffixes`, compared without regard to case (as the
// pattern "*.wav" matches "TRACK01.WAV").
bool hasSuffix(const QString& name, std::initializer_list<QStringView> suffixes);

}  // namespace corvina
