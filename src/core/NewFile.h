#pragma once
#include <QString>

#include <functional>

class QFileDevice;

// A new file that lands whole or not at all and never replaces another:
// written without a name where Linux offers that (O_TMPFILE), else into a
// hidden temporary file beside it, and only then given the first free name
// of those offered. A run cut short (a crash, a kill, a full disk, the user
// cancelling) leaves nothing behind. The file gets the user's umask.
struct NewFile {
    bool ok = false;
    QString path;         // the name it got
    QString error;        // why not, in the system's words (empty when every name was taken)
    QString failedName;   // the name it could not be given, when that was the trouble
    bool allTaken = false;
};

// nameAt(i), for i from 0 while below names, gives the names in the order
// they are tried; write fills the file (false with why set to give up; the
// device is open for writing and seekable).
NewFile writeNewFile(const QString &folder, const std::function<QString(int)> &nameAt, int names,
                     const std::function<bool(QFileDevice &out, QString *why)> &write);
