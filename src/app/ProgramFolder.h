#pragma once
#include <QString>

// The program's own folder: where Snatch copies files and the wallpaper bitmap
// is written. The executable's folder when it is writable (build tree, portable
// install), otherwise the per-user data folder. Can be overridden for tests.
QString programFolder();
void setProgramFolderOverride(const QString &folder);

// Where the help page "Readme.htm" is found: beside the executable, else in
// the installed share folder. Returns the path to use even if it is missing.
QString helpPagePath();
