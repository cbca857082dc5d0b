#pragma once
// Unmounting the file systems of a disc before it is ejected: the data session of an enhanced
// CD, or a data disc, that the desktop mounted when it was inserted. The kernel refuses to eject
// a disc while a file system on it is mounted, and a user may not run umount; UDisks2, which did
// the mounting, may unmount it again for the same user.
//
// `hasMounts` reads the kernel's mount table and touches nothing else: the common case, a disc
// with nothing mounted, costs one small file read and never the system bus. `unmountAll` asks
// UDisks2 on the system bus (DBUS_SYSTEM_BUS_ADDRESS, when set, names another bus) to unmount
// every mounted file system of the device and of its partitions.
//
// Threading: `unmountAll` blocks on D-Bus calls, each bounded by `timeoutMs`: call it on a
// drive's own thread, never on the UI thread. It needs no event loop in the calling thread.
// `hasMounts` may be called from any thread.
#include <QString>

namespace corvina::cd {

// Whether a file system on `device` (a device node such as /dev/sr0; a link to one is followed)
// or on a partition of it (/dev/sr0p1) is mounted, by the table at `mountInfo`.
bool hasMounts(const QString& device,
               const QString& mountInfo = QStringLiteral("/proc/self/mountinfo"));

struct UnmountResult {
    enum Status {
        Unmounted,       // every mounted file system of the device was unmounted
        NothingMounted,  // UDisks2 knows the device and none of its file systems is mounted
        NoService,       // no system bus, no UDisks2 on it, or UDisks2 does not know the device
        NotAuthorised,   // UDisks2 refused: the user may not unmount it
        Busy,            // a program holds a file or folder of it open
        Failed,          // another error, or no answer within the time allowed
    };
    Status status = Failed;
    // For anything but Unmounted and NothingMounted: why, in words for the user, naming the
    // folder or device concerned (one sentence, simplified Chinese like the rest of the player).
    QString reason;

    bool ok() const { return status == Unmounted || status == NothingMounted; }
};

// The time each D-Bus call may take before the unmount is given up.
constexpr int kUnmountTimeoutMs = 4000;

// Unmounts every file system of `device` and its partitions that UDisks2 shows mounted. Stops at
// the first refusal (what was unmounted before it stays unmounted). Never asks for a password:
// an authentication dialog could not be answered within the time allowed, and the desktop lets
// a user unmount what was mounted for them without one.
UnmountResult unmountAll(const QString& device, int timeoutMs = kUnmountTimeoutMs);

}  // namespace corvina::cd
