#include "decode/HelperLaunch.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

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

bool namespacesAvailable(QString *why)
{
    const QString bwrap = bwrapProgram();
    if (bwrap.isEmpty()) {
        *why = QStringLiteral("bubblewrap (bwrap) is not installed");
        return false;
    }
    QProcess probe;
    QStringList args{"--unshare-all", "--die-with-parent", "--clearenv"};
    args << systemView() << "--proc" << "/proc" << "--dev" << "/dev" << "true";
    probe.start(bwrap, args);
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        probe.kill();
        *why = QStringLiteral("bubblewrap cannot make namespaces here: %1")
                   .arg(QString::fromLocal8Bit(probe.readAllStandardError()).trimmed().left(200));
        return false;
    }
    return true;
}
