#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The desktop's system-information program: what the about box's
// "System Info..." button starts.
struct SysInfoTool {
    QString program;       // a name to look up, or (once found) its absolute path
    QStringList arguments;
};

// Programs that show the machine's hardware and software in one place, in
// order of preference. Task managers are not among them: they show processes.
const QList<SysInfoTool> &sysInfoCandidates();

// The first candidate found as an executable in searchPath (folders separated
// by ':' as in PATH), with its absolute path; nothing when none is installed.
std::optional<SysInfoTool> findSysInfoTool(const QString &searchPath);

// Finds and starts the tool as a separate program; false when none is found
// or it cannot be started.
bool startSysInfoTool(const QString &searchPath);
