#pragma once
#include <QString>

// The program's own folder: where Snatch copies files and the wallpaper bitmap
// is written. Always the per-user data folder ($XDG_DATA_HOME/Glintwave),
// created on first use: writing beside the executable could replace the
// program itself or its help page. Can be overridden for tests.
QString programFolder();
void setProgramFolderOverride(const QString &folder);

// Where the help page "Readme.htm" is found: beside the executable, else in
// the installed share folder. Returns the path to use even if it is missing.
QString helpPagePath();
