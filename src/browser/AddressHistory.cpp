#include "browser/AddressHistory.h"

#include <QDir>
#include <QFileInfo>

#include <dirent.h>

void AddressHistory::record(const QString &folder)
{
    if (!m_entries.contains(folder, Qt::CaseSensitive))
        m_entries.prepend(folder);
}

int AddressHistory::findPrefix(const QString &prefix) const
{
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].startsWith(prefix, Qt::CaseInsensitive))
            return i;
    return -1;
}

AddressHistory::Completion AddressHistory::complete(const QString &text, int caret,
                                                   bool afterDeletion) const
{
    caret = qBound(0, caret, int(text.size()));
    Completion c;
    c.caret = caret;
    if (afterDeletion) {
        c.text = text;
        return c;
    }
    const QString prefix = text.left(caret);
    c.selected = findPrefix(prefix);
    c.text = c.selected >= 0 ? m_entries[c.selected] : prefix;
    c.selectionLength = int(c.text.size()) - caret;
    return c;
}

QString canonicalFolder(const QString &path)
{
    QString clean = QDir::cleanPath(QDir(path).absolutePath());
    if (clean.size() > 1 && clean.endsWith('/'))
        clean.chop(1);
    return clean;
}

QString folderForAddress(const QString &typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty())
        return QString();
    if (text == "~" || text.startsWith("~/"))
        text = QDir::homePath() + text.mid(1);
    if (!text.endsWith('/'))
        text += '/';
    // The folder must exist and be listable, as the first-entry test checks.
    DIR *dir = opendir(QFile::encodeName(text).constData());
    if (!dir)
        return QString();
    closedir(dir);
    return canonicalFolder(text);
}
