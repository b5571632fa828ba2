#pragma once
#include <QString>
#include <QStringList>

// The drive list: mounted real file systems, "/" first, each shown as its
// mount root followed by " [name]" where the volume has a name.
QStringList driveEntries();
// The mount root an entry stands for.
QString driveRoot(const QString &entry);
// The entry of the volume that holds a path (the path's "drive").
QString driveEntryFor(const QString &path, const QStringList &entries);
