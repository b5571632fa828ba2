#include "core/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const char *const Section = "Settings";

// Why the file could not be written, found by trying as QSettings does.
QString writeProblem(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder \"%1\" could not be created.").arg(folder);
    QSaveFile probe(path);
    probe.setDirectWriteFallback(false);
    if (!probe.open(QIODevice::WriteOnly))
        return QStringLiteral("\"%1\" could not be written: %2").arg(path, probe.errorString());
    probe.cancelWriting();
    return QStringLiteral("\"%1\" could not be written.").arg(path);
}

// QSettings reads nearly any bytes without complaint and only reports a
// format error when it writes over them, so the file is checked here first:
// lines of text, each blank, a comment, a [section] or a key=value.
bool looksLikeSettings(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return true;
    constexpr qint64 MostExpected = 16 * 1024 * 1024;
    if (file.size() > MostExpected || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.contains('\0'))
        return false;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.isEmpty() && !line.startsWith(';') && !line.startsWith('#')
            && !(line.startsWith('[') && line.contains(']')) && !line.contains('='))
            return false;
    }
    return true;
}

// Renames the damaged file to a name of its own (never over another file);
// the new name, or empty with why set.
QString keepUnderNewName(const QString &path, QString *why)
{
    const QString stem = path + ".damaged-" + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    for (int n = 1; n <= 100; ++n) {
        const QString aside = n == 1 ? stem : stem + '-' + QString::number(n);
        if (QFileInfo::exists(aside))
            continue;
        QFile file(path);
        if (file.rename(aside))
            return aside;
        *why = file.errorString();
        if (!QFileInfo::exists(aside))
            return {};
    }
    *why = QStringLiteral("every new name is taken");
    return {};
}
}

SettingsStore::SettingsStore(const QString &iniPath)
{
    if (iniPath.isEmpty())
        m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                 "Glintwave", "Glintwave");
    else
        m_settings = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
    m_settings->beginGroup(Section);
    m_path = m_settings->fileName();
    const QFileInfo file(m_path);
    m_damaged = m_settings->status() != QSettings::NoError
        || (file.exists() && (!file.isFile() || !file.isReadable() || !looksLikeSettings(m_path)));
}

QString SettingsStore::GetSetting(const QString &key, const QString &defaultText) const
{
    if (m_damaged || !m_settings || !m_settings->contains(key))
        return defaultText;
    const QVariant v = m_settings->value(key);
    // An unquoted comma in a hand-edited file makes QSettings read a list.
    if (v.userType() == QMetaType::QStringList)
        return v.toStringList().join(',');
    return v.toString();
}

void SettingsStore::SaveSetting(const QString &key, const QString &value)
{
    if (m_damaged && !m_setAside)
        setAsideDamagedFile();
    if (m_keptInPlace)
        return;
    m_settings->setValue(key, value);
}

bool SettingsStore::sync()
{
    if (m_keptInPlace)
        return false;   // m_problem says why since the rename failed
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    m_problem = writeProblem(m_path);
    return false;
}

void SettingsStore::setAsideDamagedFile()
{
    // Keep the damaged file for the user instead of overwriting it, then start afresh.
    m_setAside = true;
    const QFileInfo info(m_path);
    if (info.exists() && info.isFile()) {
        m_settings.reset();
        QString why;
        if (keepUnderNewName(m_path, &why).isEmpty()) {
            // Writing now would destroy what could not be kept: leave it.
            m_keptInPlace = true;
            m_problem = QStringLiteral("The options file \"%1\" could not be read, and it could not be "
                                       "kept under another name (%2). It was left as it is.")
                            .arg(m_path, why);
            return;   // m_damaged stays: every key reads its default
        }
    }
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    m_settings->beginGroup(Section);
    m_damaged = false;
}
