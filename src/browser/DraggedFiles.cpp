#include "browser/DraggedFiles.h"

#include "core/RawPath.h"

#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QUrl>

namespace draggedfiles {

QString mimeType() { return QStringLiteral("text/uri-list"); }

QMimeData *mimeData(const QString &folder, const QList<QByteArray> &raw)
{
    const QByteArray base = RawPath::fromText(folder);
    QList<QUrl> urls;
    QSet<QByteArray> seen;
    for (const QByteArray &name : raw)
        if (!seen.contains(name)) {
            seen.insert(name);
            urls << QUrl::fromLocalFile(QFile::decodeName(RawPath::join(base, name)));
        }
    auto *data = new QMimeData;
    data->setUrls(urls);
    return data;
}

}
