// The hint balloon, the splash, the About box, the manual and the companion programs.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "app/HelpFiles.h"
#include "app/Main.h"
#include "components/TFlatHintUnit.h"
#include "forms/About.h"
#include "forms/Splash.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/MessageBox.h"
#include "platform/registry/Registry.h"
#include "platform/shell/Desktop.h"

namespace {

// The path without blanks and control characters (everything up to U+0020) at either end.
QString trimmedPath(const QString& path) {
    qsizetype first = 0;
    qsizetype last = path.size();
    while (first < last && path.at(first).unicode() <= 0x20) ++first;
    while (last > first && path.at(last - 1).unicode() <= 0x20) --last;
    return path.mid(first, last - first);
}

struct Companion {
    const char* name;
    const char* key;
};

void runCompanion(QWidget* owner, const Companion& companion) {
    const QString name = QString::fromLatin1(companion.name);
    const QString caption = QStringLiteral("运行") + name;
    QString path;
    {
        corvina::TRegistry registry(corvina::RootKey::LocalMachine);
        if (registry.openKey(QString::fromLatin1(companion.key), false))
            path = registry.readString(QStringLiteral("PATH"));
    }
    if (trimmedPath(path).isEmpty() || !QFileInfo(path).isFile()) {
        corvina::messageBox(owner, QStringLiteral("您没有安装%1！").arg(name), caption,
                            corvina::MessageIcon::Information);
        return;
    }
    QString error;
    if (!QFileInfo(path).isExecutable()) {
        error = QStringLiteral("这个文件不是可以运行的程序。");
    } else if (corvina::shell::desktop().startProgram(path, error)) {
        return;
    }
    corvina::messageBox(owner, QStringLiteral("无法运行%1：%2\n\n%3").arg(name, path, error),
                        caption, corvina::MessageIcon::Warning);
}

}  // namespace

void TFormMain::createFlatHint() {
    FlatHint = new TFlatHint(this);
    FlatHint->setObjectName(QStringLiteral("FlatHint"));
    FlatHint->setColorBackground(13158655);     // RGB 255,200,200
    FlatHint->setColorArrowBackground(4079359);  // RGB 255,62,62
    FlatHint->setFont(corvina::windowsFont(QStringLiteral("宋体"), -12));
}

void TFormMain::ShowSplash() {
    TFormSplash splash;
    splash.exec();
}

void TFormMain::MenuManualClick(QObject*) {
    const QString manual =
        corvina::findManual(QDir::currentPath(), QCoreApplication::applicationDirPath());
    if (!manual.isEmpty()) {
        if (!QFileInfo(manual).isReadable())
            throw corvina::Error(QStringLiteral("无法读取帮助文件：%1").arg(manual));
        if (!corvina::shell::desktop().openUrl(QUrl::fromLocalFile(manual)))
            throw corvina::Error(
                QStringLiteral("无法打开帮助文件：%1\n\n桌面没有能打开 .chm 文件的程序，请安装 "
                               "xchm 之类的帮助文件阅读器。")
                    .arg(manual));
        return;
    }
    // The box's two line breaks were carriage returns where it came from; here they are line
    // feeds, the only breaks a message box shows.
    corvina::messageBox(this,
                        QStringLiteral("帮助文件不存在：Manual.chm\n\n"
                                       "您需要从我们的网站重新下载并安装Corvina CD 播放器。"),
                        QStringLiteral("文件不存在"), corvina::MessageIcon::Question);
}

void TFormMain::MenuAboutClick(QObject*) {
    TFormAbout about(this);  // kept above the main window, which may stay on top
    about.exec();
}

void TFormMain::MenuRestorixClick(QObject*) {
    runCompanion(this, {"Restorix", "Software\\Velmaro\\Restorix"});
}

void TFormMain::MenuTextoriaClick(QObject*) {
    runCompanion(this, {"Textoria", "Software\\Velmaro\\Textoria"});
}
