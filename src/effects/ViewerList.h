#pragma once
#include <QString>

// What the viewer needs of the list it shows files from: the main window's
// active view, or whatever a test supplies.
class ViewerList {
public:
    virtual ~ViewerList() = default;
    // Position of the current entry, from 1 (0: none).
    virtual int currentEntry() const = 0;
    virtual int entryCount() const = 0;
    // Makes that entry current, then shows it in the viewer.
    virtual void selectEntry(int number) = 0;
    virtual void showEntry() = 0;
    // Where a saved picture goes.
    virtual QString saveFolder() const = 0;
    // The file at path, shown in the viewer, went to the Trash: its entry
    // goes, and the one after it (else the one before) becomes current.
    // False when no entry is left to show. A list of one file has none.
    virtual bool dropEntry(const QString &path)
    {
        Q_UNUSED(path);
        return false;
    }
    // The file at path changed on disk (the viewer turned it): whatever
    // the list shows of it is made again.
    virtual void entryChanged(const QString &path) { Q_UNUSED(path); }
};
