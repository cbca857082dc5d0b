// The splash at start, the manual, the companion programs and the hint balloon of the main window.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "app/HelpFiles.h"
#include "components/TFlatHintUnit.h"
#include "forms/About.h"
#include "forms/Splash.h"
#include "platform/MessageBox.h"
#include "platform/registry/Registry.h"
#include "platform/shell/FakeDesktop.h"
#include "tests/app/MainFixture.h"

namespace corvina::test {
namespace {

const QString kManualMissing = QStringLiteral(
    "帮助文件不存在：Manual.chm\n\n您需要从我们的网站重新下载并安装Corvina CD 播放器。");

class HelpTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        auto shell = std::make_unique<shell::FakeDesktop>();
        shell_ = shell.get();
        shell::setDesktop(std::move(shell));
        previousSink_ = setMessageBoxSink([this](const MessageBoxRequest& r) { boxes_.push_back(r); });
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override {
        QDir::setCurrent(previousDir_);
        setMessageBoxSink(previousSink_);
        shell::setDesktop(nullptr);
        MainWindowTest::TearDown();
    }

    void setCompanionPath(const char* key, const QString& path) {
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(QString::fromLatin1(key), true));
        registry.writeString(QStringLiteral("PATH"), path);
    }

    QString makeFile(const QString& name, QFile::Permissions permissions) {
        const QString path = QDir(dir_.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
        file.close();
        file.setPermissions(permissions);
        return path;
    }

    shell::FakeDesktop* shell_ = nullptr;
    std::vector<MessageBoxRequest> boxes_;
    MessageBoxSink previousSink_;
    QString previousDir_;
    QTemporaryDir dir_;
};

TEST_F(HelpTest, ManualInTheCurrentDirectoryOpensWithTheDesktop) {
    writeSettings();
    TFormMain& form = start();
    const QString manual = makeFile(QStringLiteral("Manual.chm"), QFile::ReadOwner | QFile::WriteOwner);
    form.MenuManualClick(nullptr);
    EXPECT_EQ(shell_->requests, QStringList({QStringLiteral("open ") +
                                             QUrl::fromLocalFile(manual).toString()}));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(HelpTest, ManualMissingShowsTheQuestionBoxAndOpensNothing) {
    writeSettings();
    TFormMain& form = start();
    form.MenuManualClick(nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, kManualMissing);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("文件不存在"));
    EXPECT_EQ(boxes_[0].icon, MessageIcon::Question);
    EXPECT_TRUE(shell_->requests.isEmpty());
}

TEST_F(HelpTest, ManualThatCannotBeReadOrOpenedIsReportedAndThePlayerGoesOn) {
    writeSettings();
    TFormMain& form = start();
    makeFile(QStringLiteral("Manual.chm"), QFile::ReadOwner | QFile::WriteOwner);
    shell_->refuseUrls = true;
    EXPECT_THROW(form.MenuManualClick(nullptr), Error);
    runHandler([&] { form.MenuManualClick(nullptr); });
    ASSERT_EQ(errors_->messages().size(), 1);
    EXPECT_TRUE(errors_->messages()[0].contains(QStringLiteral("xchm")));
    if (geteuid() != 0) {  // root reads any file
        makeFile(QStringLiteral("Manual.chm"), QFile::WriteOwner);
        EXPECT_THROW(form.MenuManualClick(nullptr), Error);
    }
    EXPECT_TRUE(form.TimerCD->isActive());
}

TEST(HelpFiles, TheManualIsLookedForHereThenBesideTheProgramThenInItsDocs) {
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("cwd"));
    QDir(root.path()).mkpath(QStringLiteral("prefix/bin"));
    QDir(root.path()).mkpath(QStringLiteral("prefix/share/doc/corvina"));
    const QString cwd = root.filePath(QStringLiteral("cwd"));
    const QString bin = root.filePath(QStringLiteral("prefix/bin"));
    const auto touch = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    };
    EXPECT_EQ(findManual(cwd, bin), QString());
    const QString docs = root.filePath(QStringLiteral("prefix/share/doc/corvina/Manual.chm"));
    ASSERT_TRUE(touch(docs));
    EXPECT_EQ(findManual(cwd, bin), docs);
    ASSERT_TRUE(touch(bin + QStringLiteral("/Manual.chm")));
    EXPECT_EQ(findManual(cwd, bin), bin + QStringLiteral("/Manual.chm"));
    ASSERT_TRUE(touch(cwd + QStringLiteral("/Manual.chm")));
    EXPECT_EQ(findManual(cwd, bin), cwd + QStringLiteral("/Manual.chm"));
    // A folder of that name is no manual.
    QDir(root.path()).mkpath(QStringLiteral("other/Manual.chm"));
    EXPECT_EQ(findManual(root.filePath(QStringLiteral("other")), bin),
              bin + QStringLiteral("/Manual.chm"));
}

TEST_F(HelpTest, CompanionNotInstalledShowsItsOwnMessage) {
    writeSettings();
    TFormMain& form = start();
    form.MenuRestorixClick(nullptr);  // no key at all
    setCompanionPath("Software\\Velmaro\\Textoria", QStringLiteral(" \t\r\n"));
    form.MenuTextoriaClick(nullptr);
    setCompanionPath("Software\\Velmaro\\Restorix", QStringLiteral("/nowhere/restorix"));
    form.MenuRestorixClick(nullptr);
    setCompanionPath("Software\\Velmaro\\Restorix", dir_.path());  // a folder
    form.MenuRestorixClick(nullptr);
    ASSERT_EQ(boxes_.size(), 4u);
    for (size_t i : {0u, 2u, 3u}) {
        EXPECT_EQ(boxes_[i].text, QStringLiteral("您没有安装Restorix！"));
        EXPECT_EQ(boxes_[i].caption, QStringLiteral("运行Restorix"));
        EXPECT_EQ(boxes_[i].icon, MessageIcon::Information);
    }
    EXPECT_EQ(boxes_[1].text, QStringLiteral("您没有安装Textoria！"));
    EXPECT_EQ(boxes_[1].caption, QStringLiteral("运行Textoria"));
    EXPECT_TRUE(shell_->requests.isEmpty());
}

TEST_F(HelpTest, CompanionInstalledStartsAndOneThatCannotRunIsExplained) {
    writeSettings();
    TFormMain& form = start();
    const QString program = makeFile(QStringLiteral("textoria"), QFile::ReadOwner |
                                                                    QFile::WriteOwner |
                                                                    QFile::ExeOwner);
    setCompanionPath("Software\\Velmaro\\Textoria", program);
    form.MenuTextoriaClick(nullptr);
    EXPECT_EQ(shell_->requests, QStringList({QStringLiteral("start ") + program}));
    EXPECT_TRUE(boxes_.empty());

    shell_->programError = QStringLiteral("Permission denied");
    form.MenuTextoriaClick(nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, QStringLiteral("运行Textoria"));
    EXPECT_TRUE(boxes_[0].text.contains(QStringLiteral("Permission denied")));
    EXPECT_EQ(boxes_[0].icon, MessageIcon::Warning);

    // A file that is no program is not started at all.
    const QString text = makeFile(QStringLiteral("readme.txt"), QFile::ReadOwner | QFile::WriteOwner);
    setCompanionPath("Software\\Velmaro\\Restorix", text);
    shell_->requests.clear();
    form.MenuRestorixClick(nullptr);
    EXPECT_TRUE(shell_->requests.isEmpty());
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_TRUE(boxes_[1].text.startsWith(QStringLiteral("无法运行Restorix")));
}

TEST_F(HelpTest, SplashComesFirstWhenSwitchedOnAndNotOtherwise) {
    writeSettings({{"ShowSplash", true}});
    QString modal;
    bool mainWindowCreated = true;
    QTimer::singleShot(20, qApp, [&] {
        QWidget* front = QApplication::activeModalWidget();
        if (!front) front = QApplication::focusWidget();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* splash = qobject_cast<TFormSplash*>(w); splash && splash->isVisible()) {
                modal = splash->objectName();
                // The rest of start-up waits: the device is not open yet.
                mainWindowCreated = commands_.contains(QStringLiteral("open cdaudio alias CorvinaCD wait shareable"));
                splash->TimerSplashTimer(nullptr);
            }
    });
    start(true);
    EXPECT_EQ(modal, QStringLiteral("FormSplash"));
    EXPECT_FALSE(mainWindowCreated);
    EXPECT_TRUE(commands_.contains(QStringLiteral("open cdaudio alias CorvinaCD wait shareable")));
    form_.reset();

    writeSettings({{"ShowSplash", false}});
    modal.clear();
    QTimer::singleShot(0, qApp, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TFormSplash*>(w)) modal = QStringLiteral("splash");
    });
    start();
    QApplication::processEvents();
    EXPECT_TRUE(modal.isEmpty());
}

TEST_F(HelpTest, TheMainWindowsBalloonHasItsColoursAndFont) {
    writeSettings();
    TFormMain& form = start();
    ASSERT_TRUE(form.FlatHint);
    EXPECT_EQ(form.FlatHint->ColorBackground(), 13158655u);
    EXPECT_EQ(form.FlatHint->ColorArrowBackground(), 4079359u);
    EXPECT_EQ(form.FlatHint->ColorBorder(), 0u);
    EXPECT_EQ(form.FlatHint->ColorArrow(), 0u);
    EXPECT_EQ(form.FlatHint->MaxHintWidth(), 200);
    EXPECT_EQ(form.FlatHint->Font().pixelSize(), 12);
    EXPECT_EQ(TFlatHint::owner(), form.FlatHint);
}

// The main window stays on top by default: a box of its own that it does not own would open
// beneath it.
TEST_F(HelpTest, TheAboutBoxBelongsToTheMainWindow) {
    start();
    QWidget* parent = nullptr;
    QTimer::singleShot(0, qApp, [&] {
        if (auto* about = qobject_cast<TFormAbout*>(QApplication::activeModalWidget())) {
            parent = about->parentWidget();
            about->reject();
        }
    });
    form_->MenuAboutClick(nullptr);
    EXPECT_EQ(parent, form_.get());
}

}  // namespace
}  // namespace corvina::test
