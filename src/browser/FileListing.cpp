#include "browser/FileListing.h"

#include "core/RawPath.h"

#include <QFile>

#include <algorithm>
#include <dirent.h>
#include <numeric>
#include <cstring>
#include <sys/stat.h>
#include <vector>

void FileListing::setPath(const QString &path)
{
    m_path = path;
    refresh();
}

bool FileListing::setPattern(const QString &pattern)
{
    if (!FilePattern::isAcceptable(pattern))
        return false;
    m_patternText = pattern;
    m_pattern = FilePattern(pattern);
    refresh();
    return true;
}

void FileListing::refresh()
{
    m_names.clear();
    m_raw.clear();
    if (m_path.isEmpty() || m_pattern.matchesNothing())
        return;
    const QByteArray folder = QFile::encodeName(m_path);
    DIR *dir = opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = dirfd(dir);
    while (dirent *entry = readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.')
            continue; // hidden, and "." / ".."
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            regular = fstatat(dirFd, raw, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (!regular)
            continue;
        const QString name = RawPath::display(QByteArray::fromRawData(raw, int(strlen(raw))));
        if (m_pattern.matches(name)) {
            m_names.append(name);
            m_raw.append(QByteArray(raw));
        }
    }
    closedir(dir);
    sortNames(m_names, m_raw);
}

void FileListing::sortNames(QStringList &names)
{
    QList<QByteArray> raw;
    raw.reserve(names.size());
    for (const QString &n : names)
        raw.append(QFile::encodeName(n));
    sortNames(names, raw);
}

void FileListing::sortNames(QStringList &names, QList<QByteArray> &raw)
{
    // Fold once, then sort indices: far cheaper than folding in every comparison.
    std::vector<QString> keys;
    keys.reserve(names.size());
    for (const QString &n : names)
        keys.push_back(n.toCaseFolded());
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = keys[a].compare(keys[b]);
        if (c != 0)
            return c < 0;
        return names[a] != names[b] ? names[a] < names[b] : raw[a] < raw[b];
    });
    QStringList sorted;
    QList<QByteArray> sortedRaw;
    sorted.reserve(names.size());
    sortedRaw.reserve(names.size());
    for (int i : order) {
        sorted.append(names[i]);
        sortedRaw.append(raw[i]);
    }
    names.swap(sorted);
    raw.swap(sortedRaw);
}

bool FileListing::before(const QString &a, const QByteArray &rawA, const QString &b, const QByteArray &rawB)
{
    // The rule of sortNames, one pair at a time.
    const int c = a.toCaseFolded().compare(b.toCaseFolded());
    if (c != 0)
        return c < 0;
    return a != b ? a < b : rawA < rawB;
}
