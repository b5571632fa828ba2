#pragma once
#include <QString>
#include <QStringList>

// The address box's folder history (newest first, each text once, letter case
// significant) and its completion while typing.
class AddressHistory {
public:
    // Records a folder that has become current; a folder already listed stays
    // where it is.
    void record(const QString &folder);
    const QStringList &entries() const { return m_entries; }
    // The first entry beginning with prefix, letter case ignored; -1 if none.
    int findPrefix(const QString &prefix) const;

    struct Completion {
        QString text;
        int caret = 0;
        int selectionLength = 0; // the completed tail, selected after the caret
        int selected = -1; // history entry now shown, -1 when none matched
    };
    // What the box shows after the user edited text with the caret at caret:
    // the typed prefix completed to the first matching folder, the caret
    // right after the typed characters and the completed tail selected, so
    // that the next key replaces it and Delete refuses it; without a match
    // only the prefix stays. After a deletion nothing is completed: the text
    // stays as the user left it (a parent of a visited folder, or nothing).
    Completion complete(const QString &text, int caret, bool afterDeletion = false) const;

private:
    QStringList m_entries;
};

// The folder a typed address names, or an empty text when it is not a folder
// that can be listed. A trailing "/" is allowed; "~" stands for home.
QString folderForAddress(const QString &typed);
// The folder list's own form of a path: absolute, no trailing "/" but at "/".
QString canonicalFolder(const QString &path);
