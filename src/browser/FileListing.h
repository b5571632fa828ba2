#pragma once
#include "browser/FilePattern.h"

#include <QString>
#include <QStringList>

// The hidden file list box: the regular, non-hidden files of a folder whose
// names match the pattern, in the order a file list shows them (names
// compared without regard to case). Each name is kept twice: the text shown
// (a replacement character where a byte is not valid UTF-8) and its bytes,
// through which the file is opened; names equal as text sort by their bytes.
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
    // The bytes of each name, in the order of names().
    const QList<QByteArray> &rawNames() const { return m_raw; }
    int ListCount() const { return m_names.size(); }

    // Sorts names the way the list shows them.
    static void sortNames(QStringList &names);
    // The same order for names with their bytes; bytes decide between names
    // that show the same.
    static void sortNames(QStringList &names, QList<QByteArray> &raw);
    // Whether (a, rawA) comes before (b, rawB) in that order, for placing one
    // name among sorted ones.
    static bool before(const QString &a, const QByteArray &rawA, const QString &b, const QByteArray &rawB);

private:
    QString m_path;
    QString m_patternText;
    FilePattern m_pattern;
    QStringList m_names;
    QList<QByteArray> m_raw;
};
