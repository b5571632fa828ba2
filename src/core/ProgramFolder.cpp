#include "core/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &overrideFolder()
{
    static QString folder;
    return folder;
}
}

void setProgramFolderOverride(const QString &folder) { overrideFolder() = folder; }

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + "/.local/share";
    const QString folder = data + "/Glintwave";
    QDir().mkpath(folder);
    return folder;
}

QString helpPagePath()
{
    const QString beside = QCoreApplication::applicationDirPath() + "/Readme.htm";
    if (QFileInfo::exists(beside))
        return beside;
    const QStringList shares = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString &share : shares) {
        const QString installed = share + "/glintwave/Readme.htm";
        if (QFileInfo::exists(installed))
            return installed;
    }
    // Also the share folder relative to an installed executable (prefix/bin/..).
    const QString relative = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                             + "/../share/glintwave/Readme.htm");
    if (QFileInfo::exists(relative))
        return relative;
    // Missing everywhere: the browser shows its own error page for the
    // place it was expected first.
    return beside;
}
