#include "platform/desktop/Integration.h"

#include "platform/desktop/DesktopFiles.h"
#include "platform/desktop/SystemDirs.h"
#include "platform/registry/Registry.h"

namespace corvina {
namespace {

const QString kRunKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
const QString kRunValue = QStringLiteral("Corvina");
const QString kAutoPlayKey = QStringLiteral("Software\\CLASSES\\AudioCD\\shell");
const QString kCdCommandKey = QStringLiteral("Software\\CLASSES\\AudioCD\\shell\\play\\command");
const QString kTrackCommandKey = QStringLiteral("Software\\CLASSES\\cdafile\\shell\\play\\command");
const QString kCdIconKey = QStringLiteral("Software\\CLASSES\\AudioCD\\DefaultIcon");
const QString kTrackIconKey = QStringLiteral("Software\\CLASSES\\cdafile\\DefaultIcon");

// The value as it stands; "" when the key or the value is missing.
QString readValue(const QString& key, const QString& name) {
    TRegistry reg(RootKey::LocalMachine);
    if (!reg.openKey(key, false)) return QString();
    return reg.readString(name);
}

void writeValue(TRegistry& reg, const QString& key, const QString& value) {
    // Created when missing: on a fresh machine root every write would fail otherwise.
    reg.openKey(key, true);
    reg.writeString(QString(), value);
    reg.closeKey();
}

QString playCommand(const QString& executable) {
    return executable + QStringLiteral(" /play %1");
}

}  // namespace

bool autorunIsSet(const QString& executable) {
    return readValue(kRunKey, kRunValue) == executable;
}

bool autoPlayIsSet() {
    return readValue(kAutoPlayKey, QString()).toUpper() == QStringLiteral("PLAY");
}

bool defaultPlayerIsSet(const QString& executable) {
    const bool cd = readValue(kCdCommandKey, QString()) == playCommand(executable);
    const bool track = readValue(kTrackCommandKey, QString()) == playCommand(executable);
    return cd && track;
}

bool defaultIconsAreSet(const QString& executable) {
    const bool cd = readValue(kCdIconKey, QString()) == executable + QStringLiteral(",1");
    const bool track = readValue(kTrackIconKey, QString()) == executable + QStringLiteral(",2");
    return cd && track;
}

void writeIntegration(const IntegrationChoice& choice, const QString& executable) {
    TRegistry reg(RootKey::LocalMachine);
    writeValue(reg, kAutoPlayKey, choice.autoPlay ? QStringLiteral("Play") : QString());

    if (choice.autorun) {
        reg.openKey(kRunKey, true);
        reg.writeString(kRunValue, executable);
        reg.closeKey();
    } else if (reg.openKey(kRunKey, false)) {
        reg.deleteValue(kRunValue);  // a value that is not there is no error
        reg.closeKey();
    }

    const QString winDir = windowsDirectory();
    const QString sysDir = systemDirectory();

    writeValue(reg, kCdCommandKey,
               choice.defaultPlayer ? playCommand(executable)
                                    : winDir + QStringLiteral("\\cdplayer.exe /play %1"));
    writeValue(reg, kTrackCommandKey,
               choice.defaultPlayer ? playCommand(executable)
                                    : winDir + QStringLiteral("\\cdplayer.exe -play %1"));

    writeValue(reg, kCdIconKey,
               choice.defaultIcons ? executable + QStringLiteral(",1")
                                   : sysDir + QStringLiteral("\\shell32.dll,40"));
    writeValue(reg, kTrackIconKey,
               choice.defaultIcons ? executable + QStringLiteral(",2")
                                   : winDir + QStringLiteral("\\cdplayer.exe,1"));

    desktop::setAutostart(choice.autorun, executable);
    // The association needs the entry, so the entry stays while either switch wants it.
    desktop::setApplicationEntry(choice.autoPlay || choice.defaultPlayer, executable);
    desktop::setDefaultCdPlayer(choice.defaultPlayer);
    desktop::setIcons(choice.defaultIcons);
}

}  // namespace corvina
