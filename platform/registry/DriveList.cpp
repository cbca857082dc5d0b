#include "platform/registry/DriveList.h"

#include <cstdio>

#include "platform/cd/DriveSet.h"
#include "platform/registry/RegStore.h"
#include "platform/registry/Registry.h"

namespace corvina {

using registry::RegKey;
using registry::RegValue;

namespace {

const QString kBranch = QStringLiteral("Enum\\SCSI");

// Drops blanks and control characters (every code of 32 or less) from both ends.
QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32) ++begin;
    while (end > begin && text[end - 1].unicode() <= 32) --end;
    return text.mid(begin, end - begin);
}

// A name in the style of the system's own device keys: "CdRom&Ven_VENDOR&Prod_MODEL".
QString modelKeyName(const QString& description) {
    const QString desc = description.simplified();
    const qsizetype space = desc.indexOf(QLatin1Char(' '));
    const QString vendor = space < 0 ? desc : desc.left(space);
    const QString product = space < 0 ? QString() : desc.mid(space + 1);
    QString name = QStringLiteral("CdRom&Ven_%1&Prod_%2").arg(vendor, product);
    for (QChar& c : name)
        if (c == QLatin1Char(' ') || c == QLatin1Char('\\') || c.unicode() < 0x20 ||
            c.unicode() == 0x7f)
            c = QLatin1Char('_');
    return name.left(255);
}

RegKey buildBranch() {
    RegKey scsi{QStringLiteral("SCSI"), {}, {}};
    int index = 0;
    for (const auto& slot : cd::DriveSet::instance().drives()) {
        const QString desc = trimControls(slot.drive->description());
        RegKey& model = scsi.addSubkey(modelKeyName(desc));
        RegKey& instance =
            model.addSubkey(QStringLiteral("4&0&0&%1").arg(index++ * 10, 3, 10, QLatin1Char('0')));
        instance.setValue(QStringLiteral("CurrentDriveLetterAssignment"),
                          RegValue{RegValue::Type::String, 0, QString(slot.letter)});
        instance.setValue(QStringLiteral("DeviceDesc"), RegValue{RegValue::Type::String, 0, desc});
    }
    return scsi;
}

// Walks every instance key of the branch in registry order: `visit` gets the open accessor.
template <typename Visit>
void walkInstances(Visit visit) {
    TRegistry reg(RootKey::LocalMachine);
    if (!reg.openKey(kBranch, false)) return;
    const QStringList models = reg.getKeyNames();
    reg.closeKey();
    for (const QString& model : models) {
        const QString modelPath = kBranch + QLatin1Char('\\') + model;
        if (!reg.openKey(modelPath, false)) continue;
        const QStringList instances = reg.getKeyNames();
        reg.closeKey();
        for (const QString& instance : instances) {
            if (!reg.openKey(modelPath + QLatin1Char('\\') + instance, false)) continue;
            visit(reg);
            reg.closeKey();
        }
    }
}

}  // namespace

void publishDriveBranch() {
    // The whole branch is replaced in one write, so the order of its keys is the device order
    // of this start, and drives that are gone leave nothing behind.
    const RegKey scsi = buildBranch();
    const bool ok = registry::updateTree(RootKey::LocalMachine, [&](RegKey& tree) {
        RegKey& parent = tree.addSubkey(QStringLiteral("Enum"));
        if (RegKey* old = parent.subkey(scsi.name))
            *old = scsi;
        else
            parent.subkeys.push_back(scsi);
        return true;
    });
    if (!ok)
        std::fprintf(stderr, "corvina: could not write the drive list to %s\n",
                     registry::storeFilePath(RootKey::LocalMachine).toLocal8Bit().constData());
}

QStringList listCdDevices() {
    QStringList entries;
    walkInstances([&](const TRegistry& reg) {
        entries.append(
            trimControls(QStringLiteral("[%1:] - %2")
                             .arg(reg.readString(QStringLiteral("CurrentDriveLetterAssignment")),
                                  reg.readString(QStringLiteral("DeviceDesc")))));
    });
    return entries;
}

QString detectDriveRoot() {
    QStringList letters;
    walkInstances([&](const TRegistry& reg) {
        letters.append(
            trimControls(reg.readString(QStringLiteral("CurrentDriveLetterAssignment"))));
    });
    if (letters.isEmpty()) return QString();
    return letters.front().left(1) + QLatin1Char(':');
}

}  // namespace corvina
