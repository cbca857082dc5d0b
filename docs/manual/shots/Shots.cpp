// Takes the manual's pictures from the real windows, rendered off screen at build time, so the
// manual always shows the player as it is built:
//     corvina_manual_shots OUTPUT_DIR
// The player runs on a scripted drive holding a named disc, with its own scratch settings, so
// the user's settings and titles are never touched, and its clock shows a fixed time, so every
// build takes the same pictures (the README keeps two of them, checked to be current).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "app/Main.h"
#include "app/Picture.h"
#include "components/Colors.h"
#include "components/ScrollingText.h"
#include "components/SuperButton.h"
#include "components/TFlatHintUnit.h"
#include "forms/About.h"
#include "forms/Splash.h"
#include "forms/Tracks.h"
#include "menu/Menu2000.h"
#include "menu/MenuWindow.h"
#include "platform/ErrorReport.h"
#include "platform/cd/DriveSet.h"
#include "platform/cd/FakeDrive.h"
#include "platform/profile/IniFile.h"
#include "platform/registry/Registry.h"
#include "resources/Skin.h"

namespace {

constexpr int kSecond = 75;  // frames
const QColor kPage(0xFF, 0xFF, 0xFF);

void save(const QImage& image, const QString& dir, const char* name) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(name));
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

QImage grab(QWidget* widget) { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

// The main window with its rounded corners, on the page's white.
QImage mainWindow(TFormMain& form) {
    QImage shot(form.size(), QImage::Format_RGB32);
    shot.fill(kPage);
    QPainter painter(&shot);
    painter.setClipRegion(form.mask());
    painter.drawImage(0, 0, grab(&form));
    return shot;
}

// The main window with the balloon of `button` as it shows when the pointer rests on it.
QImage withHint(TFormMain& form, QWidget* button) {
    const QImage window = mainWindow(form);
    const QPoint pointer = button->mapTo(&form, QPoint(button->width() / 2, button->height() / 2));
    // A screen large enough that the pointer is in its top-left quarter: the usual placement.
    const QRect screen(0, 0, 1600, 1200);
    TFlatHintWindow balloon;
    balloon.activateHint(button->toolTip(), pointer, screen);
    balloon.hide();
    QImage tip(balloon.size(), QImage::Format_RGB32);
    balloon.renderTo(tip);

    const QRect box = balloon.geometry();
    const QRect all = QRect(QPoint(0, 0), window.size()).united(box).adjusted(-4, -4, 4, 4);
    QImage shot(all.size(), QImage::Format_RGB32);
    shot.fill(kPage);
    QPainter painter(&shot);
    painter.translate(-all.topLeft());
    painter.drawImage(0, 0, window);
    painter.drawImage(box.topLeft(), tip);
    const QCursor hand = skin::cursor(QStringLiteral("RX_HANDCUR"));
    const QPixmap pointerPicture = hand.pixmap();
    if (!pointerPicture.isNull())
        painter.drawPixmap(pointer - hand.hotSpot(), pointerPicture);
    return shot;
}

void writeSettings() {
    corvina::TRegistry registry(corvina::RootKey::CurrentUser);
    registry.openKey(QStringLiteral("Software\\Velmaro\\Corvina\\4.3"), true);
    const std::pair<const char*, bool> values[] = {
        {"ShowSplash", false}, {"MinimizeAtStartup", false}, {"CloseAtStartup", true},
        {"CloseOnExit", true}, {"EjectOnExit", true},        {"StopOnExit", true},
        {"AlwaysOnTop", true}, {"Translucent", false},       {"TranslucentMenu", true}};
    for (const auto& [name, value] : values) registry.writeBool(QString::fromLatin1(name), value);
}

void nameDisc(const corvina::cd::Toc& toc) {
    const QString section =
        QString::number(corvina::cd::discSerial(toc), 16).toUpper();
    corvina::TIniFile titles(corvina::discTitleFilePath());
    titles.beginUpdate();
    titles.writeString(section, QStringLiteral("Artist"), QStringLiteral("青石乐队"));
    titles.writeString(section, QStringLiteral("Title"), QStringLiteral("山水之间"));
    const char* names[] = {"晨雾", "江南春色", "远山", "月下独行", "归途", "夜雨", "尾声"};
    for (int i = 0; i < 7; ++i)
        titles.writeString(section, QString::number(i), QString::fromUtf8(names[i]));
    titles.endUpdate();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    const QByteArray base = scratch.path().toLocal8Bit();
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("CORVINA_TITLE_FILE", (base + "/CorvinaCD.ini").constData(), 1);
    setenv("CORVINA_AUDIO", "null", 1);
    unsetenv("CORVINA_MCI_LOG");
    unsetenv("CORVINA_ERROR_LOG");

    corvina::prepareApplicationEnvironment();
    corvina::TApplication app(argc, argv);
    int errors = 0;
    corvina::setErrorSink([&errors](const QString& message) {
        std::fprintf(stderr, "error while taking the pictures: %s\n", qPrintable(message));
        ++errors;
    });
    QDir().mkpath(out);

    const std::vector<int> tracks = {245 * kSecond, 198 * kSecond, 263 * kSecond, 221 * kSecond,
                                     187 * kSecond, 240 * kSecond, 176 * kSecond};
    auto drive = std::make_unique<corvina::cd::FakeDrive>(tracks);
    corvina::cd::FakeDrive* fake = drive.get();
    std::vector<std::unique_ptr<corvina::cd::Drive>> drives;
    drives.push_back(std::move(drive));
    corvina::cd::DriveSet::install(std::move(drives));
    nameDisc(corvina::cd::FakeDrive::makeToc(tracks));
    writeSettings();

    {
        TFormMain form;
        // The title moves only as it is ticked here: its own timer would move it by however
        // many ticks this build took to get to the picture.
        form.ScrollText->setSpeed(0);
        form.move(0, 0);
        form.show();
        // The ticks are run by hand; the timer's own would move the disc and the clock on.
        form.TimerCD->stop();
        fake->advance(83 * kSecond);
        form.TimerCDTimer(form.TimerCD);
        form.TimerCDTimer(form.TimerCD);
        // A fixed time on the clock, so every build takes the same pictures.
        form.LabelSysTime->setCaption(QStringLiteral("20:30:00"));
        // Let the title scroll in until it fills the line, as it does after a few seconds.
        for (int i = 0; i < 150; ++i) form.ScrollText->tick();
        app.processEvents();

        const QImage full = mainWindow(form);
        save(full, out, "full.png");
        // Each button of the full view as it sits on the window.
        for (TSuperButton* button :
             {form.CorvinaPlay, form.CorvinaPause, form.CorvinaStop, form.CorvinaPrevious,
              form.CorvinaRewind, form.CorvinaForward, form.CorvinaNext, form.CorvinaEject,
              form.CorvinaPortivo, form.CorvinaMinimize, form.CorvinaClose, form.CorvinaSysTray})
            save(full.copy(button->geometry()), out,
                 qPrintable(button->objectName() + QStringLiteral(".png")));
        save(withHint(form, form.CorvinaPlay), out, "hint.png");
        save(withHint(form, form.LabelVersion), out, "hint-version.png");

        // The main menu as it opens from the menu symbol, over the window.
        QImage menu;
        form.MenuMain->OnWindowShown = [&menu](T_AM2000_MenuWindow* window) {
            if (window->parentWindow()) return;
            menu = window->renderMenu();
            QTimer::singleShot(0, window, [window] { window->close(); });
        };
        form.MenuPopup(form.MenuIcon);
        form.MenuMain->OnWindowShown = nullptr;
        if (menu.isNull()) {
            std::fprintf(stderr, "the main menu did not open\n");
            return 1;
        }
        {
            const QPoint at(18, 20);
            QImage shot(QSize(std::max(full.width(), at.x() + menu.width()) + 4,
                              std::max(full.height(), at.y() + menu.height()) + 4),
                        QImage::Format_RGB32);
            shot.fill(kPage);
            QPainter painter(&shot);
            painter.drawImage(0, 0, full);
            painter.drawImage(at, menu);
            painter.end();
            save(shot, out, "menu.png");
        }

        // The compact view's strip.
        form.Portivo->show();
        save(grab(form.Portivo), out, "compact.png");
        form.Portivo->hide();

        {
            TFormTracks tracksForm(&form);
            tracksForm.show();
            tracksForm.ListBox->setCurrentRow(1);
            app.processEvents();
            save(grab(&tracksForm), out, "tracks.png");
        }
        {
            TFormAbout about(&form);
            about.show();
            app.processEvents();
            save(grab(&about), out, "about.png");
        }
        {
            TFormSplash splash;
            splash.TimerSplash->stop();
            splash.show();
            app.processEvents();
            save(grab(&splash), out, "splash.png");
        }
    }
    corvina::cd::DriveSet::install({});
    return errors == 0 ? 0 : 1;
}
