#include "info/SysInfo.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

const QList<SysInfoTool> &sysInfoCandidates()
{
    static const QList<SysInfoTool> tools = {
        {"hardinfo2", {}},
        {"hardinfo", {}},
        {"kinfocenter", {}},
        {"mate-system-monitor", {"--show-system-tab"}},
        {"lshw-gtk", {}},
        {"cpu-x", {}},
    };
    return tools;
}

std::optional<SysInfoTool> findSysInfoTool(const QString &searchPath)
{
    QStringList folders;
    for (const QString &f : searchPath.split(QDir::listSeparator(), Qt::SkipEmptyParts))
        folders << f;
    if (folders.isEmpty())
        return std::nullopt;   // findExecutable would fall back to the real PATH
    for (const SysInfoTool &tool : sysInfoCandidates()) {
        const QString found = QStandardPaths::findExecutable(tool.program, folders);
        if (!found.isEmpty())
            return SysInfoTool{found, tool.arguments};
    }
    return std::nullopt;
}

bool startSysInfoTool(const QString &searchPath)
{
    const std::optional<SysInfoTool> tool = findSysInfoTool(searchPath);
    if (!tool)
        return false;
    // Not watched: it runs on after the about box closes.
    return QProcess::startDetached(tool->program, tool->arguments);
}
