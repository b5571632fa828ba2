#pragma once
#include <QString>

#include <functional>

// What a user does to the files of a folder: put them in the desktop's Trash
// (and take them back), rename them, copy or move them into another folder.
// Nothing here ever replaces a file: a name that is taken gets the next free
// "name (2).ext". Every failure is told with the file's name and the reason.
namespace fileops {

struct Outcome {
    bool ok = false;
    QString path;    // where the file is now
    QString error;   // for the user: the file and why
};

// name itself for i = 0, else "name (i + 1).ext" ("photo (2).jpg"); a name
// that starts with a dot and has no other keeps its dot ("(2)" goes last).
QString numberedName(const QString &name, int i);

// The desktop's Trash, as its file manager keeps it (freedesktop.org's
// layout): the file and a record of where it came from.
struct Trashed {
    QString original;
    QString inTrash;
};
Outcome moveToTrash(const QString &path, Trashed *record);
// Back where it was, with its bytes and times; the Trash forgets it.
Outcome restoreFromTrash(const Trashed &record);

// Why newName cannot be a name in folder (empty, "/", ".", "..", taken),
// or empty when it can.
QString renameProblem(const QString &folder, const QString &oldName, const QString &newName);
Outcome renameFile(const QString &folder, const QString &oldName, const QString &newName);

// Told as the bytes go; returns false to cancel.
using Progress = std::function<bool(qint64 done, qint64 total)>;
// A copy lands whole or not at all (cancelled, disk full: nothing left), with
// the original's modification time. A move within one file system renames;
// across file systems it copies, and takes the original away only once the
// copy is whole.
Outcome copyInto(const QString &file, const QString &folder, const Progress &progress = {});
Outcome moveInto(const QString &file, const QString &folder, const Progress &progress = {});

} // namespace fileops
