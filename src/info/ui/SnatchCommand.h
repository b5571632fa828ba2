#pragma once
#include "info/FileSnatch.h"

#include <functional>

class QWidget;

// The main window's Snatch command: copies sourceFolder/name (the name's
// bytes) into destFolder
// on the thread pool while the window stays live, then shows "Cannot copy
// file!" (title "Error") over parent on any failure. done, if given, is
// called afterwards on the window's thread.
void runSnatch(QWidget *parent, const QString &sourceFolder, const QByteArray &name,
               const QString &destFolder,
               std::function<void(const SnatchResult &)> done = {});
