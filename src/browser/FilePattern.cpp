#include "browser/FilePattern.h"

#include <QStringList>

FilePattern::FilePattern(const QString &pattern)
{
    QStringList alternatives;
    for (const QString &part : pattern.split(';')) {
        if (part.isEmpty())
            continue;
        if (part == "*.*" || part == "*") {
            m_all = true;
            break;
        }
        QString rx;
        for (const QChar c : part) {
            if (c == '*')
                rx += ".*";
            else if (c == '?')
                rx += '.';
            else
                rx += QRegularExpression::escape(QString(c));
        }
        alternatives << rx;
    }
    m_nothing = !m_all && alternatives.isEmpty();
    if (!m_all && !m_nothing) {
        m_regex = QRegularExpression("\\A(?:" + alternatives.join('|') + ")\\z",
                                     QRegularExpression::CaseInsensitiveOption
                                         | QRegularExpression::DotMatchesEverythingOption);
        m_regex.optimize();
    }
}

bool FilePattern::matches(const QString &name) const
{
    if (m_all)
        return true;
    if (m_nothing)
        return false;
    return m_regex.match(name).hasMatch();
}

bool FilePattern::isAcceptable(const QString &pattern)
{
    for (const QChar c : pattern)
        if (c == '/' || c.unicode() < 32)
            return false;
    return true;
}
