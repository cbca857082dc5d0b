// The player's desktop files: mimeapps.list edits that keep other programs' lines, the Exec
// quoting, the entries as desktop-file-validate sees them, and the files created, updated and
// removed in a private XDG folder pair.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

#include "platform/ErrorReport.h"
#include "platform/desktop/DesktopFiles.h"
#include "platform/desktop/MimeApps.h"

namespace corvina::desktop {
namespace {

const QByteArray kType = "x-content/audio-cdda";
const QByteArray kId = "corvina.desktop";

TEST(MimeApps, SetAndUnsetGiveBackAForeignFileByteForByte) {
    // CRLF line ends, comments, other groups and types, a value without the trailing ';', and
    // no line end at the end of the file.
    const QByteArray foreign =
        "# mine\r\n[Added Associations]\r\ntext/plain=gedit.desktop;\r\n\r\n"
        "[Default Applications]\r\nx-content/audio-cdda=rhythmbox.desktop\r\n"
        "image/png = eog.desktop;\r\n\r\n[Removed Associations]\r\naudio/x-wav=vlc.desktop;";
    const QByteArray set = setDefaultApplication(foreign, kType, kId);
    EXPECT_EQ(defaultApplications(set, kType), (QList<QByteArray>{kId, "rhythmbox.desktop"}));
    EXPECT_TRUE(set.contains("x-content/audio-cdda=corvina.desktop;rhythmbox.desktop\r\n"));
    EXPECT_EQ(setDefaultApplication(set, kType, kId), set);  // first already: no change
    EXPECT_EQ(unsetDefaultApplication(set, kType, kId), foreign);

    // The type missing from an existing group: added after its last line, before the blank line
    // that separates the next group, and taken out again.
    const QByteArray other = "[Default Applications]\nimage/png=eog.desktop;\n\n[Other]\na=b\n";
    const QByteArray added = setDefaultApplication(other, kType, kId);
    EXPECT_EQ(added,
              "[Default Applications]\nimage/png=eog.desktop;\n"
              "x-content/audio-cdda=corvina.desktop;\n\n[Other]\na=b\n");
    EXPECT_EQ(unsetDefaultApplication(added, kType, kId), other);

    // No group at all: appended, and removed with the player's line. A file that did not end
    // its last line still does not, before and after.
    const QByteArray noGroup = "[Added Associations]\ntext/plain=gedit.desktop;";
    const QByteArray appended = setDefaultApplication(noGroup, kType, kId);
    EXPECT_EQ(appended,
              noGroup + "\n[Default Applications]\nx-content/audio-cdda=corvina.desktop;");
    EXPECT_EQ(unsetDefaultApplication(appended, kType, kId), noGroup);
    EXPECT_EQ(
        unsetDefaultApplication(setDefaultApplication(noGroup + "\n", kType, kId), kType, kId),
        noGroup + "\n");
    const QByteArray unended = "[Default Applications]\r\nimage/png=eog.desktop;";
    EXPECT_EQ(setDefaultApplication(unended, kType, kId),
              unended + "\r\nx-content/audio-cdda=corvina.desktop;");
    EXPECT_EQ(unsetDefaultApplication(setDefaultApplication(unended, kType, kId), kType, kId),
              unended);
    EXPECT_EQ(unsetDefaultApplication(setDefaultApplication({}, kType, kId), kType, kId), "");
}

TEST(MimeApps, PutsThePlayerFirstAndTakesOutOnlyItsEntry) {
    const QByteArray second =
        "[Default Applications]\nx-content/audio-cdda=a.desktop;corvina.desktop;b.desktop;\n";
    EXPECT_EQ(defaultApplications(setDefaultApplication(second, kType, kId), kType),
              (QList<QByteArray>{kId, "a.desktop", "b.desktop"}));
    EXPECT_EQ(unsetDefaultApplication(second, kType, kId),
              "[Default Applications]\nx-content/audio-cdda=a.desktop;b.desktop;\n");
    // Another program's default, the player's absent: nothing changes.
    const QByteArray theirs = "[Default Applications]\nx-content/audio-cdda=a.desktop;\n";
    EXPECT_EQ(unsetDefaultApplication(theirs, kType, kId), theirs);
    // A comment that looks like the line is not the line.
    const QByteArray commented =
        "[Default Applications]\n# x-content/audio-cdda=corvina.desktop;\n";
    EXPECT_EQ(unsetDefaultApplication(commented, kType, kId), commented);
    EXPECT_TRUE(defaultApplications(commented, kType).isEmpty());
}

TEST(MimeApps, AKeyWrittenTwiceCountsAsReadersCountIt) {
    // Groups of one name are merged and the last line of a type wins: that line is the one read
    // and changed, and an unset clears the player from every line so none can come back.
    const QByteArray twice =
        "[Default Applications]\nx-content/audio-cdda=a.desktop;\nimage/png=eog.desktop;\n"
        "[Other]\nx=y\n"
        "[Default Applications]\nx-content/audio-cdda=b.desktop;\n";
    EXPECT_EQ(defaultApplications(twice, kType), QList<QByteArray>{"b.desktop"});
    const QByteArray set = setDefaultApplication(twice, kType, kId);
    EXPECT_EQ(defaultApplications(set, kType), (QList<QByteArray>{kId, "b.desktop"}));
    EXPECT_TRUE(set.startsWith("[Default Applications]\nx-content/audio-cdda=a.desktop;\n"));
    EXPECT_EQ(unsetDefaultApplication(set, kType, kId), twice);

    // Missing from both groups: added to the last, which readers merge into the first.
    const QByteArray split =
        "[Default Applications]\na/b=a.desktop;\n[Default Applications]\n"
        "c/d=c.desktop;\n";
    EXPECT_TRUE(setDefaultApplication(split, kType, kId)
                    .endsWith("c/d=c.desktop;\nx-content/audio-cdda=corvina.desktop;\n"));
    EXPECT_EQ(unsetDefaultApplication(setDefaultApplication(split, kType, kId), kType, kId), split);

    const QByteArray both =
        "[Default Applications]\nx-content/audio-cdda=corvina.desktop;\na/b=a.desktop;\n"
        "x-content/audio-cdda=a.desktop;corvina.desktop;\n";
    EXPECT_EQ(unsetDefaultApplication(both, kType, kId),
              "[Default Applications]\na/b=a.desktop;\nx-content/audio-cdda=a.desktop;\n");
}

TEST(DesktopEntry, QuotesTheExecutableAsTheExecKeyNeeds) {
    EXPECT_EQ(execArgument("/usr/bin/corvina"), "/usr/bin/corvina");
    EXPECT_EQ(execArgument("/opt/my player/corvina"), "\"/opt/my player/corvina\"");
    // Inside quotes ", `, $ and \ get a backslash; then every backslash is doubled for the
    // string value, and '%' is doubled for the field codes.
    EXPECT_EQ(execArgument("/a$b/c\\d/100%/e\"f"), "\"/a\\\\$b/c\\\\\\\\d/100%%/e\\\\\"f\"");
}

// Each test gets its own XDG_CONFIG_HOME and XDG_DATA_HOME.
class DesktopFiles : public ::testing::Test {
protected:
    void SetUp() override {
        savedConfig_ = qgetenv("XDG_CONFIG_HOME");
        savedData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.filePath("data")));
    }
    void TearDown() override {
        qputenv("XDG_CONFIG_HOME", savedConfig_);
        qputenv("XDG_DATA_HOME", savedData_);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    static void write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QString messageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const Error& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    }
    // What desktop-file-validate says of these bytes ("" when it passes).
    std::string validate(const QByteArray& entry) {
        const QString path = dir_.filePath("check/corvina.desktop");
        write(path, entry);
        QProcess tool;
        tool.start(QStringLiteral("desktop-file-validate"), {path});
        if (!tool.waitForFinished(20000)) return "desktop-file-validate did not run";
        const QString said = QString::fromUtf8(tool.readAll());
        return tool.exitCode() == 0 && said.isEmpty() ? std::string()
                                                      : (said + "(failed)").toStdString();
    }
    // The folder's files, for checking that nothing is left behind.
    static QStringList filesIn(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    QTemporaryDir dir_;
    QByteArray savedConfig_;
    QByteArray savedData_;
};

TEST_F(DesktopFiles, EntriesPassDesktopFileValidate) {
    const QString exe = QStringLiteral("/opt/Corvina Player/corvina");
    const QByteArray app = applicationEntry(exe);
    EXPECT_TRUE(app.contains("\nExec=\"/opt/Corvina Player/corvina\" %U\n")) << app.constData();
    EXPECT_TRUE(app.contains("\nMimeType=x-content/audio-cdda;\n"));
    EXPECT_TRUE(isPlayersEntry(app));
    EXPECT_EQ(validate(app), "");

    const QByteArray autostart = autostartEntry(exe);
    EXPECT_TRUE(autostart.contains("\nExec=\"/opt/Corvina Player/corvina\"\n"))
        << autostart.constData();
    EXPECT_FALSE(autostart.contains("MimeType"));
    EXPECT_TRUE(isPlayersEntry(autostart));
    EXPECT_EQ(validate(autostart), "");
    EXPECT_FALSE(isPlayersEntry("[Desktop Entry]\nType=Application\nExec=corvina\n"));
}

TEST_F(DesktopFiles, AutostartAndApplicationEntriesAreCreatedUpdatedAndRemoved) {
    const QString autostart = dir_.filePath("config/autostart/corvina.desktop");
    const QString app = dir_.filePath("data/applications/corvina.desktop");
    ASSERT_EQ(autostartEntryPath(), autostart);
    ASSERT_EQ(applicationEntryPath(), app);

    setAutostart(true, "/usr/bin/corvina");
    setApplicationEntry(true, "/usr/bin/corvina");
    EXPECT_EQ(read(autostart), autostartEntry("/usr/bin/corvina"));
    EXPECT_EQ(read(app), applicationEntry("/usr/bin/corvina"));

    // The player moved: the entries follow it, and no temporary file stays behind.
    setAutostart(true, "/opt/corvina/corvina");
    setApplicationEntry(true, "/opt/corvina/corvina");
    EXPECT_EQ(read(autostart), autostartEntry("/opt/corvina/corvina"));
    EXPECT_EQ(read(app), applicationEntry("/opt/corvina/corvina"));
    EXPECT_EQ(filesIn(QFileInfo(autostart).path()), QStringList{"corvina.desktop"});

    setAutostart(false, "/opt/corvina/corvina");
    setApplicationEntry(false, "/opt/corvina/corvina");
    EXPECT_FALSE(QFileInfo::exists(autostart));
    EXPECT_FALSE(QFileInfo::exists(app));
    setAutostart(false, "/opt/corvina/corvina");  // nothing there: no error

    // The user's own entries of the same name are not the player's to remove.
    const QByteArray own = "[Desktop Entry]\nType=Application\nName=Mine\nExec=corvina\n";
    write(autostart, own);
    write(app, own);
    setAutostart(false, "/usr/bin/corvina");
    setApplicationEntry(false, "/usr/bin/corvina");
    EXPECT_EQ(read(autostart), own);
    EXPECT_EQ(read(app), own);
}

TEST_F(DesktopFiles, DefaultPlayerKeepsAForeignMimeappsListIntact) {
    const QString path = dir_.filePath("config/mimeapps.list");
    ASSERT_EQ(mimeAppsPath(), path);
    const QByteArray foreign = "[Default Applications]\ntext/html=firefox.desktop;\n";
    write(path, foreign);
    setDefaultCdPlayer(true);
    EXPECT_EQ(read(path), foreign + "x-content/audio-cdda=corvina.desktop;\n");
    setDefaultCdPlayer(false);
    EXPECT_EQ(read(path), foreign);

    // A file the player made holds nothing else: it goes with the player's line.
    QFile::remove(path);
    setDefaultCdPlayer(true);
    EXPECT_EQ(read(path), "[Default Applications]\nx-content/audio-cdda=corvina.desktop;\n");
    setDefaultCdPlayer(false);
    EXPECT_FALSE(QFileInfo::exists(path));

    // A list kept elsewhere through a link (dotfiles) stays a link; its target changes.
    const QString target = dir_.filePath("dotfiles/mimeapps.list");
    write(target, foreign);
    ASSERT_TRUE(QFile::link(target, path));
    setDefaultCdPlayer(true);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_EQ(read(target), foreign + "x-content/audio-cdda=corvina.desktop;\n");
}

TEST_F(DesktopFiles, IconsGoIntoTheUsersHicolorThemeAtTheirSizes) {
    setIcons(true);
    const QString theme = dir_.filePath("data/icons/hicolor");
    const std::pair<const char*, int> expected[] = {
        {"16x16/apps/corvina.png", 16},
        {"32x32/apps/corvina.png", 32},
        {"32x32/mimetypes/corvina-audiocd.png", 32},
        {"32x32/mimetypes/corvina-cdafile.png", 32},
        {"32x32/mimetypes/x-content-audio-cdda.png", 32}};
    for (const auto& [file, size] : expected) {
        const QImage icon(theme + "/" + file);
        EXPECT_EQ(icon.size(), QSize(size, size)) << file;
    }
    EXPECT_EQ(iconFiles().size(), std::size(expected));

    // A user's own icon under one of the names stays when the player's go.
    const QString own = theme + "/32x32/mimetypes/x-content-audio-cdda.png";
    QImage(32, 32, QImage::Format_RGB32).save(own);
    const QByteArray ownBytes = read(own);
    setIcons(false);
    EXPECT_FALSE(QFileInfo::exists(theme + "/16x16/apps/corvina.png"));
    EXPECT_FALSE(QFileInfo::exists(theme + "/32x32/mimetypes/corvina-cdafile.png"));
    EXPECT_EQ(read(own), ownBytes);
}

TEST_F(DesktopFiles, AFolderThatCannotBeWrittenIsReportedWithItsPath) {
    // A file where the folder belongs stops even root.
    write(dir_.filePath("config/autostart"), "not a folder");
    const QString entry = dir_.filePath("config/autostart/corvina.desktop");
    EXPECT_EQ(messageOf([] { setAutostart(true, "/usr/bin/corvina"); }),
              QStringLiteral("Failed to set data for '%1'").arg(entry));

    // A read-only folder stops everybody else.
    const QString apps = dir_.filePath("data/applications");
    QDir().mkpath(apps);
    QFile::setPermissions(apps, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFileInfo(apps).isWritable()) {  // folder permissions do not bind root
        EXPECT_EQ(messageOf([] { setApplicationEntry(true, "/usr/bin/corvina"); }),
                  QStringLiteral("Failed to set data for '%1/corvina.desktop'").arg(apps));
        EXPECT_TRUE(filesIn(apps).isEmpty());
    }
}

TEST_F(DesktopFiles, AnUnreadableMimeappsListIsNotOverwritten) {
    QDir().mkpath(dir_.filePath("config/mimeapps.list"));  // a folder where the file belongs
    EXPECT_EQ(
        messageOf([] { setDefaultCdPlayer(true); }),
        QStringLiteral("Failed to set data for '%1'").arg(dir_.filePath("config/mimeapps.list")));
}

}  // namespace
}  // namespace corvina::desktop
