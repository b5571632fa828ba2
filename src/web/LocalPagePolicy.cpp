#include "web/LocalPagePolicy.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The file's real place, links followed, so that a link inside the folder
// cannot lead out of it; empty when the file does not exist.
QString realPath(const QString &path) { return QFileInfo(path).canonicalFilePath(); }

bool inside(const QString &path, const QString &folder)
{
    if (path.isEmpty() || folder.isEmpty())
        return false;
    return path == folder || path.startsWith(folder.endsWith('/') ? folder : folder + '/');
}
} // namespace

bool LocalPagePolicy::allows(const Request &r) const
{
    if (!r.page.isLocalFile())
        return !r.target.isLocalFile() || (r.mainFrame && r.byUser);
    const QString scheme = r.target.scheme();
    // Made by the page itself; they reach nothing outside it.
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob") || scheme == QLatin1String("about"))
        return true;
    if (r.target.isLocalFile()) {
        const QString path = realPath(r.target.toLocalFile());
        QStringList readable = folders;
        readable << QFileInfo(realPath(r.page.toLocalFile())).absolutePath();
        for (const QString &folder : readable)
            if (inside(path, QFileInfo(folder).canonicalFilePath()))
                return true;
    }
    // Anything else only as a page the user asked for.
    return r.mainFrame && r.byUser;
}
