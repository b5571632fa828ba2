#include "decode/HelperLaunch.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <utility>
#include <vector>

extern char **environ;

namespace {
QString bwrapProgram() { return QStandardPaths::findExecutable(QStringLiteral("bwrap")); }

// /usr and the links a merged /usr keeps at the root; fonts for the text in
// metafiles. Nothing else of the machine, nothing of the user's.
QStringList systemView()
{
    QStringList a{"--ro-bind", "/usr", "/usr"};
    for (const char *link : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        const QFileInfo info(QString::fromLatin1(link));
        if (info.isSymLink())
            a << "--symlink" << info.symLinkTarget().remove(0, 1) << QString::fromLatin1(link);
        else if (info.isDir())
            a << "--ro-bind" << QString::fromLatin1(link) << QString::fromLatin1(link);
    }
    a << "--ro-bind-try" << "/etc/ld.so.cache" << "/etc/ld.so.cache"
      << "--ro-bind-try" << "/etc/fonts" << "/etc/fonts"
      << "--ro-bind-try" << "/var/cache/fontconfig" << "/var/cache/fontconfig";
    return a;
}
} // namespace

HelperLaunch helperLaunch(const QString &helper, const QStringList &arguments, bool isolated)
{
    HelperLaunch l;
    if (!isolated) {
        l.argv << helper << arguments;
        return l;
    }
    l.isolated = true;
    // The helper is shown at a fixed place of its own, wherever it is installed.
    const QString inside = QStringLiteral("/run/glintwave/glintwave-decode");
    l.argv << bwrapProgram() << "--unshare-all" << "--die-with-parent" << "--new-session" << "--clearenv"
           << systemView() << "--proc" << "/proc" << "--dev" << "/dev" << "--tmpfs" << "/tmp"
           << "--dir" << "/home/decoder" << "--setenv" << "HOME" << "/home/decoder"
           << "--perms" << "0700" << "--dir" << "/tmp/runtime" << "--setenv" << "XDG_RUNTIME_DIR" << "/tmp/runtime"
           << "--setenv" << "QT_QPA_PLATFORM" << "offscreen"
           << "--setenv" << "LANG" << "C.UTF-8" << "--ro-bind" << helper << inside << inside << arguments;
    return l;
}

pid_t spawnProgram(const QStringList &argv, const posix_spawn_file_actions_t *actions, QString *why)
{
    std::vector<QByteArray> bytes;
    for (const QString &a : argv)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char *> pointers;
    for (QByteArray &b : bytes)
        pointers.push_back(b.data());
    pointers.push_back(nullptr);
    // A group of its own: bubblewrap runs as two processes, and the inner one,
    // orphaned while it waits for the outer to set it up, would wait for ever.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, pointers[0], actions, &attributes, pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed) {
        *why = QStringLiteral("%1 could not be started: %2")
                   .arg(QFileInfo(argv.value(0)).fileName(), QString::fromLocal8Bit(std::strerror(failed)));
        return -1;
    }
    return pid;
}

NamespaceProbe::NamespaceProbe()
{
    const QString bwrap = bwrapProgram();
    if (bwrap.isEmpty()) {
        m_why = QStringLiteral("bubblewrap (bwrap) is not installed");
        return;
    }
    QStringList args{bwrap, "--unshare-all", "--die-with-parent", "--clearenv"};
    args << systemView() << "--proc" << "/proc" << "--dev" << "/dev" << "true";
    int errors[2];
    if (::pipe2(errors, O_CLOEXEC) != 0) {
        m_why = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    m_pid = spawnProgram(args, &actions, &m_why);
    posix_spawn_file_actions_destroy(&actions);
    ::close(errors[1]);
    m_errors = errors[0];
}

void endProgram(pid_t pid)
{
    ::kill(-pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

NamespaceProbe::~NamespaceProbe()
{
    if (m_pid > 0)
        endProgram(m_pid);
    if (m_errors >= 0)
        ::close(m_errors);
}

bool NamespaceProbe::available(QString *why)
{
    if (m_pid <= 0) {
        *why = m_why;
        return false;
    }
    // Its standard error first: bubblewrap says why before it ends, and a
    // full pipe must not keep it from ending. It has ten seconds.
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        pollfd p{m_errors, POLLIN, 0};
        const int left = int(std::max<qint64>(0, 10000 - waited.elapsed()));
        const int ready = ::poll(&p, 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            ::kill(-m_pid, SIGKILL);
            said = "it did not answer";
            break;
        }
        char chunk[512];
        const ssize_t n = ::read(m_errors, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        said.append(chunk, int(n));
    }
    // Reaped here: the destructor has nothing left to end.
    const pid_t pid = std::exchange(m_pid, -1);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    *why = QStringLiteral("bubblewrap cannot make namespaces here: %1")
               .arg(QString::fromLocal8Bit(said).trimmed().left(200));
    return false;
}

bool namespacesAvailable(QString *why)
{
    return NamespaceProbe().available(why);
}
