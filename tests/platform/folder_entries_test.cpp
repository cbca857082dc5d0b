// Folder listings by name test: the same names the "*.wav"-style patterns took.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/FolderEntries.h"

namespace corvina {
namespace {

TEST(FolderEntries, SuffixesMatchAsTheirPatternsDidWithoutRegardToCase) {
    for (const char* name : {"01.wav", "02 Track.WAV", "x.FlAc", "a.cue.wav", ".wav"})
        EXPECT_TRUE(hasSuffix(QString::fromUtf8(name), {u"wav", u"flac"})) << name;
    for (const char* name : {"wav", "a.wavx", "a.wa", "awav", "a.wav.bak", "", "a_wav"})
        EXPECT_FALSE(hasSuffix(QString::fromUtf8(name), {u"wav", u"flac"})) << name;
}

TEST(FolderEntries, OnlyFilesThatPassBothTheFiltersAndTheTest) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"b.wav", "a.WAV", "notes.txt", ".hidden.wav"}) {
        QFile file(folder.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.wav")));
    const auto wav = [](const QString& name) { return hasSuffix(name, {u"wav"}); };
    EXPECT_EQ(folderEntries(QDir(folder.path()), QDir::Files, wav),
              (QStringList{QStringLiteral("a.WAV"), QStringLiteral("b.wav")}));
    EXPECT_EQ(folderEntries(QDir(folder.path()), QDir::Files | QDir::Hidden, wav).size(), 3);
}

}  // namespace
}  // namespace corvina
