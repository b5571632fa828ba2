#include "core/CommandLine.h"

#include "core/version.h"

#include <QCommandLineParser>

namespace {
const QString Apply = QStringLiteral("--apply");
const QString Hint = QStringLiteral("Try \"glintwave --help\".");

CommandLineRequest refused(const QString &why)
{
    CommandLineRequest r;
    r.action = CommandLineRequest::Action::Refused;
    r.text = QStringLiteral("glintwave: %1 %2\n").arg(why, Hint);
    r.exitCode = 2;
    return r;
}
} // namespace

QString commandLineUsage()
{
    // Also the manual page's source (help2man): "or:" lines, an option list.
    return QStringLiteral(
        "Usage: glintwave [FILE...]\n"
        "  or:  glintwave [--] FILE...\n"
        "  or:  glintwave --apply KEYS [--screen WxH] [--seed N] [--out DIR] FILE...\n"
        "\n"
        "Without a file Glintwave opens its browser window. With a file it opens that\n"
        "file in the full-screen viewer and ends when the viewer closes; Space and\n"
        "Backspace go on through the file's folder, or through the files named when\n"
        "there are several.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this text and exit.\n"
        "  -v, --version  Show the version and exit.\n"
        "  --apply        Apply the viewer's key commands to pictures and save the\n"
        "                 results, without a display (as glintwave-apply does).\n"
        "  --             Every argument after this is a file name, also one that\n"
        "                 begins with \"-\".\n");
}

CommandLineRequest parseCommandLine(const QStringList &arguments,
                                    const std::function<bool(const QString &)> &exists)
{
    CommandLineRequest r;
    // The batch mode has a command line of its own: everything after
    // --apply belongs to it, checked there.
    if (arguments.size() > 1 && arguments.at(1) == Apply) {
        r.action = CommandLineRequest::Action::Apply;
        r.applyArguments = arguments.mid(2);
        return r;
    }

    QCommandLineParser parser;
    // "-photo.jpg" is one unknown option, not the letters p, h, o... in a row.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption apply(QStringLiteral("apply"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(apply);
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("glintwave")} : arguments))
        return refused(parser.errorText()
                       + (parser.unknownOptionNames().isEmpty()
                              ? QString()
                              : QStringLiteral(" Put \"--\" before a file name that begins with \"-\".")));

    if (parser.isSet(apply))
        return refused(QStringLiteral("--apply must come first."));
    if (parser.isSet(help)) {
        r.action = CommandLineRequest::Action::Help;
        r.text = commandLineUsage();
        return r;
    }
    if (parser.isSet(version)) {
        r.action = CommandLineRequest::Action::Version;
        r.text = QStringLiteral("Glintwave " GLINTWAVE_VERSION_TEXT "\n");
        return r;
    }

    const QStringList names = parser.positionalArguments();
    if (names.isEmpty())
        return r;   // Browse
    r.action = CommandLineRequest::Action::Open;
    // A name with blanks that the shell split still opens as the one file it
    // names; otherwise the first file given is the one shown, and all of
    // them are the list (a file manager may hand over several).
    const QString joined = names.join(QLatin1Char(' '));
    const bool oneName = names.size() > 1 && exists && exists(joined);
    r.file = oneName ? joined : names.constFirst();
    r.files = oneName ? QStringList{joined} : names;
    if (r.file.isEmpty())
        return refused(QStringLiteral("An empty file name cannot be opened."));
    return r;
}

bool displayNamed(const QProcessEnvironment &env)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!env.value(QLatin1String(name)).isEmpty())
            return true;
    return false;
}

QString preferredPlatform(const QProcessEnvironment &env)
{
    if (env.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty() && env.value(QStringLiteral("DISPLAY")).isEmpty()
        && !env.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty())
        return QStringLiteral("wayland");
    return QString();
}

QString noDisplayMessage()
{
    return QStringLiteral("glintwave: no display to show windows on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                          "only --apply, --help and --version work without one.\n");
}
