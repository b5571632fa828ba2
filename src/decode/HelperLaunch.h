#pragma once
#include <QString>
#include <QStringList>

#include <spawn.h>

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

// Starts argv (the program's path first) with the file actions given: its
// process id, or -1 with the reason in why.
// The program starts in a process group of its own, which endProgram kills
// whole (and reaps the program).
pid_t spawnProgram(const QStringList &argv, const posix_spawn_file_actions_t *actions, QString *why);
void endProgram(pid_t pid);

// Whether bubblewrap is installed and can make the namespaces here (not
// inside another sandbox, not on a kernel that forbids them). Bubblewrap is
// run once, when the probe is made; the answer is waited for only when asked,
// so a program can go on starting meanwhile. Any thread may ask, once.
class NamespaceProbe {
public:
    NamespaceProbe();
    ~NamespaceProbe();
    NamespaceProbe(const NamespaceProbe &) = delete;
    NamespaceProbe &operator=(const NamespaceProbe &) = delete;
    // why says what was missing.
    bool available(QString *why);

private:
    int m_pid = -1;
    int m_errors = -1;   // the read end of bubblewrap's standard error
    QString m_why;
};

// The same, asked at once.
bool namespacesAvailable(QString *why);
