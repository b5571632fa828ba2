#pragma once
#include <QSettings>
#include <QString>
#include <memory>

// The per-user store: INI file, application "Glintwave", section "Settings",
// every value a text. QSettings writes through a temporary file and a rename,
// so the file on disk is always whole.
class SettingsStore {
public:
    // Opens the user's store, or the given INI file (tests).
    explicit SettingsStore(const QString &iniPath = QString());

    // The stored text, or defaultText when the key is absent or the file
    // could not be read as a whole.
    QString GetSetting(const QString &key, const QString &defaultText) const;
    void SaveSetting(const QString &key, const QString &value);

    // Writes pending values to disk; false when the file could not be
    // written, and errorString() then says why.
    bool sync();
    QString errorString() const { return m_problem; }

    // The file existed but could not be read (unreadable or damaged): its
    // keys are ignored and it is kept under a new name before the first
    // write. When it cannot be renamed it is left alone: nothing is written
    // over it, and sync() fails.
    bool damaged() const { return m_damaged; }
    QString fileName() const { return m_path; }

private:
    void setAsideDamagedFile();

    std::unique_ptr<QSettings> m_settings;
    QString m_path;
    QString m_problem;
    bool m_damaged = false;
    bool m_setAside = false;
    bool m_keptInPlace = false;   // damaged, not renamed: never written
};
