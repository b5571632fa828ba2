#include "SettingsStore.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {
const char *const Section = "Settings";
}

SettingsStore::SettingsStore(const QString &iniPath)
{
    if (iniPath.isEmpty())
        m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                 "Glintwave", "Glintwave");
    else
        m_settings = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
    m_settings->beginGroup(Section);
    const QFileInfo file(m_settings->fileName());
    m_damaged = m_settings->status() != QSettings::NoError
        || (file.exists() && (!file.isFile() || !file.isReadable()));
}

QString SettingsStore::fileName() const { return m_settings->fileName(); }

QString SettingsStore::GetSetting(const QString &key, const QString &defaultText) const
{
    if (m_damaged || !m_settings->contains(key))
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
    m_settings->setValue(key, value);
}

bool SettingsStore::sync()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

void SettingsStore::setAsideDamagedFile()
{
    // Keep the damaged file for the user instead of overwriting it, then start afresh.
    m_setAside = true;
    const QString path = m_settings->fileName();
    m_settings.reset();
    const QFileInfo info(path);
    if (info.exists() && info.isFile()) {
        const QString aside = path + ".damaged-"
            + QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
        QFile::rename(path, aside);
    }
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    m_settings->beginGroup(Section);
    m_damaged = false;
}
