#include "browser/FileDetails.h"

#include "browser/MediaTypes.h"
#include "browser/PhotoFacts.h"
#include "core/RawPath.h"

#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>
#include <QtConcurrent>

#include <ctime>
#include <fcntl.h>
#include <unistd.h>
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

namespace {
QMimeType typeOf(const QByteArray &path, const QString &name)
{
    // Each file is typed for itself: names without a dot (Makefile,
    // README, notes) share no suffix, and the database knows whole names
    // (CMakeLists.txt) as well as suffixes. The file is read only when the
    // name says nothing certain; it is opened through its bytes.
    static const QMimeDatabase db;
    QFile file;
    if (RawPath::isFaithful(path)) {
        file.setFileName(RawPath::display(path));
    } else {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0 && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            ::close(fd);
    }
    return db.mimeTypeForFileNameAndData(name, &file);
}

// A type's description costs more than finding the type (it is looked up
// in the type's own entry, in the user's language): once a type for a part
// of a folder, whose files are mostly of a few types.
class Descriptions {
public:
    QString of(const QMimeType &type)
    {
        auto it = m_known.constFind(type.name());
        if (it == m_known.constEnd())
            it = m_known.insert(type.name(), type.comment());
        return it.value();
    }

private:
    QHash<QString, QString> m_known;
};

// The capture moment and the size of a picture; nothing for other files.
void readPhotoColumns(DetailRow &row, const QString &path)
{
    if (mediaKindOf(ExtensionKey(row.name)) != MediaKind::Picture)
        return;
    const PhotoFacts facts = readPhotoFacts(path);
    row.taken = takenText(facts);
    if (facts.taken.isValid())
        row.takenMs = facts.taken.toMSecsSinceEpoch();
    const QSize size = QImageReader(path).size();
    if (size.isValid()) {
        row.dimensions = QStringLiteral("%1 x %2").arg(size.width()).arg(size.height());
        row.pixels = qint64(size.width()) * size.height();
    }
}
} // namespace

QString typeDescription(const QByteArray &path, const QString &name)
{
    return typeOf(path, name).comment();
}

QVector<DetailRow> readDetails(const QString &folder, const QStringList &names,
                               const QList<QByteArray> &raw, bool photoColumns)
{
    QVector<DetailRow> rows(names.size());
    const QByteArray base = RawPath::fromText(folder.endsWith('/') ? folder : folder + "/");
    auto fill = [&](int begin, int end) {
        Descriptions descriptions;
        for (int i = begin; i < end; ++i) {
            DetailRow &row = rows[i];
            row.name = names[i];
            row.raw = i < raw.size() ? raw[i] : RawPath::fromText(names[i]);
            const QByteArray path = base + row.raw;
            struct stat st;
            if (stat(path.constData(), &st) == 0) {
                row.bytes = st.st_size;
                row.size = sizeField(st.st_size);
                row.date = dateField(st.st_mtime);
                row.modifiedMs = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
            }
            row.type = descriptions.of(typeOf(path, names[i]));
            if (photoColumns)
                readPhotoColumns(row, RawPath::display(path));
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
