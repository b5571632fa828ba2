#pragma once
#include <QFileDevice>

#include <sys/types.h>

// Files Glintwave creates for the user (saved pictures, the wallpaper, Snatch
// copies, gallery pages) get the same permissions any other program's files
// would: what is asked for, less the user's umask.
//
// The umask is read once per run; reading it with umask(2) briefly changes
// it, so it is read from /proc where the kernel offers it.
mode_t userUmask();

// The same as a mode for open(2) and fchmod(2).
mode_t userFileMode(mode_t wanted = 0666);

// wanted (by default read and write for everyone) less the umask.
QFileDevice::Permissions userFilePermissions(
    QFileDevice::Permissions wanted = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                      | QFileDevice::ReadOther | QFileDevice::WriteOther);

// Gives an open file (e.g. a QTemporaryFile, which creates 0600) the user's
// permissions. False when the file system refused.
bool giveUserPermissions(QFileDevice &file);
