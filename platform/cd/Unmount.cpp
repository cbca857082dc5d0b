#include "platform/cd/Unmount.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QVariantMap>

namespace corvina::cd {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kPartition = QStringLiteral("org.freedesktop.UDisks2.Partition");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

// A path as the mount table writes it: blanks, tabs, newlines and backslashes as \ooo.
QByteArray unescape(const QByteArray& field) {
    QByteArray out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        auto octal = [&](qsizetype at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out.append(
                char((field[i + 1] - '0') << 6 | (field[i + 2] - '0') << 3 | (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(field[i]);
        }
    }
    return out;
}

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

// `source` is `node` or a partition of it: the kernel names the partitions of a disc whose
// name ends in a digit (sr0) with a "p" and a number (sr0p1).
bool onDevice(const QString& source, const QString& node) {
    if (source == node) return true;
    if (!source.startsWith(node + u'p') || source.size() == node.size() + 1) return false;
    for (qsizetype i = node.size() + 1; i < source.size(); ++i)
        if (!source[i].isDigit()) return false;
    return true;
}

// The bytes of a D-Bus "ay" or "aay" property as paths (UDisks2 ends each with a NUL).
QString pathOf(QByteArray bytes) {
    if (bytes.endsWith('\0')) bytes.chop(1);
    return QFile::decodeName(bytes);
}

QStringList pathsOf(const QVariant& value) {
    QStringList out;
    if (!value.canConvert<QDBusArgument>()) return out;
    for (const QByteArray& bytes : qdbus_cast<QList<QByteArray>>(value.value<QDBusArgument>()))
        out.append(pathOf(bytes));
    return out;
}

UnmountResult failure(UnmountResult::Status status, const QString& reason) {
    return {status, reason};
}

// What an error reply means to the user. `what` names the file system (its folder) or the device.
UnmountResult fromError(const QDBusMessage& reply, const QString& what) {
    const QString name = reply.errorName();
    if (name == "org.freedesktop.DBus.Error.ServiceUnknown" ||
        name == "org.freedesktop.DBus.Error.NameHasNoOwner" ||
        name.startsWith("org.freedesktop.DBus.Error.Spawn") ||
        name == "org.freedesktop.DBus.Error.Disconnected") {
        return failure(
            UnmountResult::NoService,
            QStringLiteral("系统中没有 UDisks2 磁盘服务，无法卸载光盘上的文件系统（%1）。")
                .arg(what));
    }
    if (name.startsWith("org.freedesktop.UDisks2.Error.NotAuthorized") ||
        name == "org.freedesktop.DBus.Error.AccessDenied") {
        return failure(UnmountResult::NotAuthorised,
                       QStringLiteral("没有权限卸载光盘上的文件系统（%1）。").arg(what));
    }
    if (name == "org.freedesktop.UDisks2.Error.DeviceBusy") {
        return failure(UnmountResult::Busy,
                       QStringLiteral("光盘上的文件系统（%1）正被其他程序使用，"
                                      "请关闭使用它的程序或窗口后再试。")
                           .arg(what));
    }
    if (name == "org.freedesktop.DBus.Error.NoReply" ||
        name == "org.freedesktop.DBus.Error.Timeout" ||
        name == "org.freedesktop.UDisks2.Error.Timedout") {
        return failure(
            UnmountResult::Failed,
            QStringLiteral("UDisks2 磁盘服务没有及时响应，未能卸载光盘上的文件系统（%1）。")
                .arg(what));
    }
    return failure(
        UnmountResult::Failed,
        QStringLiteral("未能卸载光盘上的文件系统（%1）：%2").arg(what, reply.errorMessage()));
}

}  // namespace

bool hasMounts(const QString& device, const QString& mountInfo) {
    QFile table(mountInfo);
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QString node = canonical(device);
    struct stat info {};
    QByteArray number;  // "major:minor" of the device node
    if (stat(QFile::encodeName(device).constData(), &info) == 0 && S_ISBLK(info.st_mode))
        number =
            QByteArray::number(major(info.st_rdev)) + ':' + QByteArray::number(minor(info.st_rdev));
    // id parent major:minor root mount-point options [optional fields] - type source options
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 7) continue;
        if (!number.isEmpty() && fields[2] == number) return true;
        const qsizetype separator = fields.indexOf("-", 6);
        if (separator < 0 || separator + 2 >= fields.size()) continue;
        const QString source = QFile::decodeName(unescape(fields[separator + 2]));
        if (source.startsWith(u'/') && onDevice(canonical(source), node)) return true;
    }
    return false;
}

UnmountResult unmountAll(const QString& device, int timeoutMs) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return failure(
            UnmountResult::NoService,
            QStringLiteral("无法连接系统总线，不能卸载光盘上的文件系统（%1）。").arg(device));
    }
    const QDBusMessage reply = bus.call(
        QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/UDisks2"),
                                       QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                       QStringLiteral("GetManagedObjects")),
        QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) return fromError(reply, device);
    const QVariant first = reply.arguments().value(0);
    if (!first.canConvert<QDBusArgument>() ||
        first.value<QDBusArgument>().currentSignature() != "a{oa{sa{sv}}}") {
        return failure(
            UnmountResult::Failed,
            QStringLiteral("UDisks2 磁盘服务的回答无法读懂，未能卸载光盘上的文件系统（%1）。")
                .arg(device));
    }
    const ManagedObjects objects = qdbus_cast<ManagedObjects>(first.value<QDBusArgument>());

    // The block object of the device: its node, its preferred node or one of its links.
    const QString node = canonical(device);
    QString block;
    for (auto it = objects.begin(); it != objects.end() && block.isEmpty(); ++it) {
        const auto found = it.value().find(kBlock);
        if (found == it.value().end()) continue;
        QStringList names = pathsOf(found->value("Symlinks"));
        names << pathOf(found->value("Device").toByteArray())
              << pathOf(found->value("PreferredDevice").toByteArray());
        if (names.contains(device) || names.contains(node)) block = it.key().path();
    }
    if (block.isEmpty()) {
        return failure(UnmountResult::NoService,
                       QStringLiteral("UDisks2 磁盘服务中没有设备 %1，无法卸载光盘上的文件系统。")
                           .arg(device));
    }

    // Its file systems: on the device itself, and on partitions whose table is on it.
    bool any = false;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const Interfaces& interfaces = it.value();
        const bool own = it.key().path() == block;
        const auto partition = interfaces.find(kPartition);
        const bool part = partition != interfaces.end() &&
                          partition->value("Table").value<QDBusObjectPath>().path() == block;
        const auto filesystem = interfaces.find(kFilesystem);
        if ((!own && !part) || filesystem == interfaces.end()) continue;
        const QStringList mounted = pathsOf(filesystem->value("MountPoints"));
        if (mounted.isEmpty()) continue;
        any = true;
        QDBusMessage unmount = QDBusMessage::createMethodCall(
            kService, it.key().path(), kFilesystem, QStringLiteral("Unmount"));
        unmount << QVariantMap{{QStringLiteral("auth.no_user_interaction"), true}};
        const QDBusMessage done = bus.call(unmount, QDBus::Block, timeoutMs);
        // Unmounted meanwhile by someone else: as good as done.
        if (done.type() != QDBusMessage::ReplyMessage &&
            done.errorName() != "org.freedesktop.UDisks2.Error.NotMounted") {
            return fromError(done, mounted.front());
        }
    }
    return {any ? UnmountResult::Unmounted : UnmountResult::NothingMounted, QString()};
}

}  // namespace corvina::cd
