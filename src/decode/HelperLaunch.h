#pragma once
#include <QString>
#include <QStringList>

// How a decoding helper is started: under bubblewrap where the kernel lets
// a program make namespaces (a new user, mount, PID, IPC, network and UTS
// namespace; /usr read-only; an empty home and /tmp; nothing of the user's
// files; the environment cleared), else as a plain process. Either way the
// helper locks itself down with seccomp and its limits before it reads
// anything (glintwave-decode).
struct HelperLaunch {
    QStringList argv;        // program and arguments, ready for exec
    bool isolated = false;   // inside namespaces
};

// The command for helper (an absolute path) with its arguments; isolated
// asks for bubblewrap (see namespacesAvailable).
HelperLaunch helperLaunch(const QString &helper, const QStringList &arguments, bool isolated);

// Whether bubblewrap is installed and can make the namespaces here (not
// inside another sandbox, not on a kernel that forbids them); why says what
// was missing. Runs bubblewrap once: ask once per program run.
bool namespacesAvailable(QString *why);
