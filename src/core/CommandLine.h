#pragma once
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <functional>

// What one start of the program was asked to do. Decided from the arguments
// alone, before any window system is touched, so that --help, --version and
// a refused command line work where there is no display.
struct CommandLineRequest {
    enum class Action {
        Browse,   // no file: the main window
        Open,     // one file in the viewer
        Help,     // print text on standard output, exit 0
        Version,  // likewise
        Apply,    // the batch mode, with applyArguments
        Refused,  // print text on standard error, exit 2
    };
    Action action = Action::Browse;
    QString file;                 // Open: the path as given
    QStringList files;            // Open: every file named, file first (a file manager may hand over several)
    QStringList applyArguments;   // Apply: what follows --apply
    QString text;                 // Help, Version: the output; Refused: the message
    int exitCode = 0;             // for Help, Version and Refused
};

// arguments: the whole argument list, program name first. exists tells
// whether a path names a file; it lets an unquoted name with blanks, split
// by the shell, still open as one file (the whole text after the program's
// name is what the program has always opened).
CommandLineRequest parseCommandLine(const QStringList &arguments,
                                    const std::function<bool(const QString &)> &exists);

// The usage text that --help prints.
QString commandLineUsage();

// True when the environment names a display Qt can open, or a platform of
// the user's choosing (QT_QPA_PLATFORM).
bool displayNamed(const QProcessEnvironment &env);

// The platform to ask Qt for where the user chose none: a Wayland session
// without an X server gets the native Wayland platform rather than Qt's X11
// default, which would fail. Empty: leave Qt's own choice.
QString preferredPlatform(const QProcessEnvironment &env);

// The one-line message for a start that needs a display and has none.
QString noDisplayMessage();
