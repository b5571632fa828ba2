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
};
