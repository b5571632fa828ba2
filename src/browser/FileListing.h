#pragma once
#include "FilePattern.h"

#include <QString>
#include <QStringList>

// The hidden file list box: the regular, non-hidden files of a folder whose
// names match the pattern, in the order a file list shows them (names
// compared without regard to case). Names that cannot be represented
// faithfully (bytes that are not valid in the file-name encoding) are left
// out, since they could not be opened again by name.
class FileListing {
public:
    void setPath(const QString &path);
    QString path() const { return m_path; }

    // Returns false, and keeps the earlier pattern, for an unacceptable one.
    bool setPattern(const QString &pattern);
    QString pattern() const { return m_patternText; }

    // Re-reads the folder. A folder that cannot be read lists nothing.
    void refresh();

    const QStringList &names() const { return m_names; }
    int ListCount() const { return m_names.size(); }

    // Sorts names the way the list shows them.
    static void sortNames(QStringList &names);

private:
    QString m_path;
    QString m_patternText;
    FilePattern m_pattern;
    QStringList m_names;
};
