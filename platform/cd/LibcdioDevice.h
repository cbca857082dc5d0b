#pragma once
// A CD device through libcdio: a drive's device node (/dev/sr0) or a disc image libcdio opens
// (a .cue with its .bin, a cdrdao .toc, an .nrg).
//
// Audio is read with plain READ CD commands, a few sectors at a time, with no retries of our
// own: the drive's own error correction is what a player can use in real time, and the reader
// above decides what a failed read costs. The tray is moved with the kernel's ioctls, never by
// libcdio's eject, which unmounts a mounted disc by running `umount`.
#include <memory>
#include <string>

#include "platform/cd/DriveDevice.h"

namespace corvina::cd {

std::shared_ptr<DriveDevice> libcdioDevice(const std::string& path);

// A disc image (a regular file) rather than a device node.
bool isImageFile(const std::string& path);

}  // namespace corvina::cd
