#include "core/OptionSet.h"

#include <algorithm>
#include <cmath>

int OptionSet::slideIntervalMs() const
{
    const double seconds = std::clamp(SlideDelay, SlideDelayMin, SlideDelayMax);
    return static_cast<int>(std::lround(seconds * 1000.0));
}

QStringList OptionSet::recentFolders() const
{
    QStringList folders = RecentFolders.split('|', Qt::SkipEmptyParts);
    folders.removeDuplicates();
    return folders.mid(0, RecentCount);
}

void OptionSet::rememberFolder(const QString &folder)
{
    if (folder.isEmpty() || folder.contains('|'))
        return;
    QStringList folders = recentFolders();
    folders.removeAll(folder);
    folders.prepend(folder);
    RecentFolders = folders.mid(0, RecentCount).join('|');
}
