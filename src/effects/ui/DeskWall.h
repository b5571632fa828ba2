#pragma once
#include <QImage>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// One program run that sets the wallpaper.
struct WallpaperStep {
    QString program;
    QStringList arguments;
    bool mayFail = false;   // e.g. a key only newer desktops have
};

struct WallpaperPlan {
    QString desktop;                  // what was recognised, for messages
    std::vector<WallpaperStep> steps; // empty: no setter for this desktop
    bool needsFreshName = false;      // the desktop caches pictures by file name
};

// Decides how to set picturePath as the wallpaper of the desktop the
// environment describes. hasProgram tells which tools are installed.
WallpaperPlan wallpaperPlan(const QProcessEnvironment &env, const QString &picturePath,
                            const std::function<bool(const QString &)> &hasProgram);

struct DeskWallResult {
    bool written = false;   // Glintwave.bmp is in place
    bool set = false;       // the desktop was told
    QString path;           // Glintwave.bmp
    QString shownPath;      // the file the desktop was pointed at
    QString message;        // for the user when something failed
};

// Writes "Glintwave.bmp" in the program's folder (replacing the earlier one
// only once the new one is whole), then makes it the wallpaper of the running
// desktop. Desktops that keep a picture per file name are pointed at a fresh
// hard link of it ("Glintwave-<time>.bmp", or "Glintwave-<time>-<n>.bmp" when
// that is taken; the previous such link is removed), so that a second picture
// really shows. A desktop with no setter here is asked through the XDG desktop
// portal when one answers on the session bus.
DeskWallResult DeskWall(const QImage &picture);
DeskWallResult DeskWall(const QImage &picture, const QString &folder, const QProcessEnvironment &env);
