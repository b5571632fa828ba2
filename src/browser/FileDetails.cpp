#include "FileDetails.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QtConcurrent>

#include <ctime>
#include <sys/stat.h>

QString sizeField(qint64 bytes)
{
    return bytes >= 0 ? " " + QString::number(bytes) : QString::number(bytes);
}

QString dateField(qint64 seconds)
{
    const time_t t = static_cast<time_t>(seconds);
    struct tm local;
    if (!localtime_r(&t, &local))
        return QString();
    char text[64];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", local.tm_year + 1900,
             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return QString::fromLatin1(text);
}

QString typeDescription(const QString &name)
{
    // The MIME database matched by name is fast; remember each suffix's answer.
    static QMutex mutex;
    static QHash<QString, QString> cache;
    const int dot = name.indexOf('.');
    const QString key = dot < 0 ? QString() : name.mid(dot).toLower();
    {
        QMutexLocker lock(&mutex);
        const auto it = cache.constFind(key);
        if (it != cache.constEnd())
            return it.value();
    }
    static const QMimeDatabase db;
    const QString description = db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment();
    QMutexLocker lock(&mutex);
    cache.insert(key, description);
    return description;
}

QVector<DetailRow> readDetails(const QString &folder, const QStringList &names)
{
    QVector<DetailRow> rows(names.size());
    const QByteArray base = QFile::encodeName(folder.endsWith('/') ? folder : folder + "/");
    auto fill = [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            DetailRow &row = rows[i];
            row.name = names[i];
            struct stat st;
            if (stat((base + QFile::encodeName(names[i])).constData(), &st) == 0) {
                row.bytes = st.st_size;
                row.size = sizeField(st.st_size);
                row.date = dateField(st.st_mtime);
            }
            row.type = typeDescription(names[i]);
        }
    };
    const int n = names.size();
    if (n < 2000) {
        fill(0, n);
    } else {
        const int chunk = 4096;
        QVector<int> starts;
        for (int s = 0; s < n; s += chunk)
            starts.append(s);
        QtConcurrent::blockingMap(starts, [&](int s) { fill(s, std::min(n, s + chunk)); });
    }
    return rows;
}
