#include "effects/ui/DeskWall.h"

#include "effects/PictureSave.h"
#include "core/ProgramFolder.h"
#include "effects/ui/WallpaperPortal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <unistd.h>

namespace {
bool programExists(const QString &name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

QString plasmaScript(const QString &url)
{
    return QStringLiteral(
               "for (const d of desktops()) { d.wallpaperPlugin = 'org.kde.image';"
               " d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];"
               " d.writeConfig('Image', '%1'); }")
        .arg(url);
}

QString xfceScript(const QString &path)
{
    // Every monitor and workspace of xfdesktop has its own last-image property.
    QString quoted = path;
    quoted.replace('\'', QStringLiteral("'\\''"));
    return QStringLiteral("for p in $(xfconf-query -c xfce4-desktop -l | grep '/last-image$'); do "
                          "xfconf-query -c xfce4-desktop -p \"$p\" -s '%1'; done")
        .arg(quoted);
}
} // namespace

WallpaperPlan wallpaperPlan(const QProcessEnvironment &env, const QString &picturePath,
                            const std::function<bool(const QString &)> &hasProgram)
{
    WallpaperPlan plan;
    const QString uri = QUrl::fromLocalFile(picturePath).toString(QUrl::FullyEncoded);
    const QStringList desktops = env.value("XDG_CURRENT_DESKTOP").toLower().split(':', Qt::SkipEmptyParts)
                                 + QStringList{env.value("DESKTOP_SESSION").toLower()};
    auto is = [&](const char *name) { return desktops.contains(QLatin1String(name)); };

    if (is("kde") || is("plasma") || is("plasmawayland")) {
        plan.desktop = "KDE Plasma";
        plan.needsFreshName = true;
        if (hasProgram("plasma-apply-wallpaperimage")) {
            plan.steps.push_back({"plasma-apply-wallpaperimage", {picturePath}});
        } else {
            for (const char *q : {"qdbus6", "qdbus", "qdbus-qt5"}) {
                if (hasProgram(q)) {
                    plan.steps.push_back({q, {"org.kde.plasmashell", "/PlasmaShell",
                                              "org.kde.PlasmaShell.evaluateScript", plasmaScript(uri)}});
                    break;
                }
            }
        }
    } else if (is("cinnamon") || is("x-cinnamon")) {
        plan.desktop = "Cinnamon";
        plan.needsFreshName = true;
        if (hasProgram("gsettings"))
            plan.steps.push_back({"gsettings", {"set", "org.cinnamon.desktop.background", "picture-uri", uri}});
    } else if (is("mate")) {
        plan.desktop = "MATE";
        plan.needsFreshName = true;
        if (hasProgram("gsettings"))
            plan.steps.push_back({"gsettings", {"set", "org.mate.background", "picture-filename", picturePath}});
    } else if (is("gnome") || is("unity") || is("budgie") || is("pantheon") || is("gnome-classic")) {
        plan.desktop = "GNOME";
        plan.needsFreshName = true;
        if (hasProgram("gsettings")) {
            plan.steps.push_back({"gsettings", {"set", "org.gnome.desktop.background", "picture-uri", uri}});
            // Only GNOME 42 and later know the dark-style picture.
            plan.steps.push_back({"gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", uri}, true});
        }
    } else if (is("xfce")) {
        plan.desktop = "Xfce";
        plan.needsFreshName = true;
        if (hasProgram("xfconf-query"))
            plan.steps.push_back({"sh", {"-c", xfceScript(picturePath)}});
    } else if (is("sway") || !env.value("SWAYSOCK").isEmpty()) {
        // swaybg reads the file afresh each time it is started.
        plan.desktop = "sway";
        if (hasProgram("swaymsg"))
            plan.steps.push_back({"swaymsg", {"output", "*", "bg", picturePath, "fill"}});
    } else if (!env.value("DISPLAY").isEmpty() && env.value("WAYLAND_DISPLAY").isEmpty()) {
        // Plain X11: these tools load the file each time and paint the root
        // window. (xwallpaper cannot read bitmaps.)
        plan.desktop = "X11";
        if (hasProgram("feh"))
            plan.steps.push_back({"feh", {"--no-fehbg", "--bg-fill", picturePath}});
        else if (hasProgram("hsetroot"))
            plan.steps.push_back({"hsetroot", {"-fill", picturePath}});
        else if (hasProgram("nitrogen"))
            plan.steps.push_back({"nitrogen", {"--set-zoom-fill", picturePath}});
    } else {
        plan.desktop = env.value("XDG_CURRENT_DESKTOP");
    }
    return plan;
}

DeskWallResult DeskWall(const QImage &picture)
{
    return DeskWall(picture, programFolder(), QProcessEnvironment::systemEnvironment());
}

namespace {
// A fresh name for the same bytes: a hard link costs no space; where links
// are not possible (some file systems) a copy does. The time makes the name
// new to the desktop; a second picture in the same millisecond (or another
// Glintwave's) takes the next number, since neither link() nor a NewOnly open
// ever takes a name that exists.
QString freshLink(const QString &folder, const QString &source)
{
    const QDir dir(folder);
    const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
    for (int n = 1; n <= 1000; ++n) {
        const QString path = dir.filePath(n == 1 ? QStringLiteral("Glintwave-%1.bmp").arg(stamp)
                                                 : QStringLiteral("Glintwave-%1-%2.bmp").arg(stamp, QString::number(n)));
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(path).constData()) == 0)
            return path;
        if (errno == EEXIST)
            continue;
        QFile in(source), out(path);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (QFileInfo::exists(path))
                continue;
            return {};
        }
        const QByteArray bytes = in.readAll();
        if (out.write(bytes) != bytes.size() || !out.flush()) {
            out.remove();
            return {};
        }
        return path;
    }
    return {};
}

void removeOtherLinks(const QString &folder, const QString &keep)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("Glintwave-*.bmp")}, QDir::Files)) {
        const QString path = dir.filePath(name);
        if (path != keep)
            QFile::remove(path);
    }
}
// Desktops without a setter of their own may still offer the XDG desktop
// portal. False with no message: no portal answers.
bool setThroughPortal(const QString &folder, DeskWallResult &r)
{
    // A back end may keep the picture by its name, as the desktops above do.
    QString shown = freshLink(folder, r.path);
    if (shown.isEmpty())
        shown = r.path;
    const PortalAnswer answer =
        setWallpaperThroughPortal(QUrl::fromLocalFile(shown).toString(QUrl::FullyEncoded));
    if (answer.outcome == PortalAnswer::Outcome::Set) {
        r.set = true;
        r.shownPath = shown;
        if (shown != r.path)
            removeOtherLinks(folder, shown);
        return true;
    }
    if (shown != r.path)
        QFile::remove(shown);
    if (answer.outcome == PortalAnswer::Outcome::NotSet)
        r.message = QStringLiteral("The picture was saved as \"%1\", but the desktop portal did not set the "
                                   "wallpaper: %2.")
                        .arg(r.path, answer.message);
    return false;
}
} // namespace

DeskWallResult DeskWall(const QImage &picture, const QString &folder, const QProcessEnvironment &env)
{
    DeskWallResult r;
    r.path = QDir(folder).filePath(QStringLiteral("Glintwave.bmp"));
    if (picture.isNull()) {
        r.message = QStringLiteral("There is no picture to use as the wallpaper.");
        return r;
    }
    const OutputResult written = writeBitmapReplacing(picture, r.path);
    if (!written.ok) {
        r.message = written.error;
        return r;
    }
    r.written = true;

    WallpaperPlan plan = wallpaperPlan(env, r.path, programExists);
    if (plan.steps.empty()) {
        if (setThroughPortal(folder, r))
            return r;
        if (!r.message.isEmpty())
            return r;
        r.message = QStringLiteral("The picture was saved as \"%1\", but Glintwave cannot set the wallpaper "
                                   "of this desktop%2.")
                        .arg(r.path, plan.desktop.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(plan.desktop));
        return r;
    }
    r.shownPath = r.path;
    if (plan.needsFreshName) {
        const QString fresh = freshLink(folder, r.path);
        if (!fresh.isEmpty()) {
            r.shownPath = fresh;
            plan = wallpaperPlan(env, fresh, programExists);
        }
    }
    for (const WallpaperStep &step : plan.steps) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(step.program, step.arguments);
        const bool ran = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (!ran && p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished(1000);
        }
        if (!ran && !step.mayFail) {
            const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
            r.message = QStringLiteral("The picture was saved as \"%1\", but the %2 wallpaper could not be set: %3")
                            .arg(r.path, plan.desktop, err.isEmpty() ? p.errorString() : err);
            if (r.shownPath != r.path)
                QFile::remove(r.shownPath);
            return r;
        }
    }
    r.set = true;
    if (r.shownPath != r.path)
        removeOtherLinks(folder, r.shownPath);
    return r;
}
