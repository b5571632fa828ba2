#pragma once
#include <QRegularExpression>
#include <QString>

// A file pattern: wildcards ("*" any run, "?" one character) separated by
// ";", matched against whole names without regard to letter case. "*.*"
// matches every name, with or without a dot. Empty parts match nothing, so
// an empty pattern lists nothing and ";*.PNG" lists the PNG files.
class FilePattern {
public:
    explicit FilePattern(const QString &pattern = QString());

    bool matches(const QString &name) const;
    bool matchesNothing() const { return m_nothing; }

    // Whether the text can serve as a pattern: no path separators, no
    // control characters.
    static bool isAcceptable(const QString &pattern);

private:
    QRegularExpression m_regex;
    bool m_all = false;
    bool m_nothing = true;
};
