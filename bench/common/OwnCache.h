#pragma once
#include <QFile>
#include <QTemporaryDir>

// A benchmark of thumbnails runs offscreen with a shared thumbnail cache of
// its own run, so every picture is decoded and the user's cache is untouched.
// Call before the application object is made.
inline void offscreenWithOwnCache(const QTemporaryDir &dir)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.filePath("cache")));
}
