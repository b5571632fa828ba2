#include "AppState.h"
#include "BatchMode.h"
#include "SettingsStore.h"
#include "WebEngineSetup.h"
#include "frmMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstring>
#include <memory>

namespace {
// The command line is the arguments after the program's name, joined with blanks.
QString commandLine(int argc, char **argv)
{
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    return parts.join(' ');
}
} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--apply") == 0) {
        // The batch mode runs without a display: choose the offscreen platform
        // unless one was asked for.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        QStringList args;
        for (int i = 1; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        return runBatch(args);
    }

    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Glintwave");
    QApplication::setWindowIcon(QIcon(":/glintwave.svg"));
    auto store = std::make_shared<SettingsStore>();
    frmMain window(store);

    const QString file = commandLine(argc, argv);
    if (!file.isEmpty()) {
        // A file named on the command line opens in the viewer with the user's
        // options; the main window never shows and nothing is written.
        appState().CommandLine = file;
        window.loadOptionsOnly();
        if (!QFileInfo(file).isFile()) {
            QMessageBox::critical(nullptr, "Disk error", "Unable to read file from disk");
            return 1;
        }
        window.ShowMedia();
        bool shown = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown = shown || (w != &window && w->isVisible());
        if (!shown)
            return 0; // a kind that shows nothing
        return app.exec();
    }

    window.Form_Load();
    window.show();
    return app.exec();
}
