#include "BatchMode.h"
#include "RawPath.h"
#include "SettingsStore.h"
#include "WebEngineSetup.h"
#include "frmMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The command line is the arguments after the program's name, joined with
// blanks, byte for byte: a name that is not valid UTF-8 still opens.
QByteArray commandLine(int argc, char **argv)
{
    QByteArrayList parts;
    for (int i = 1; i < argc; ++i)
        parts << QByteArray(argv[i]);
    return parts.join(' ');
}

// The batch mode lives in glintwave-apply beside this program, which loads no
// window code at all; the arguments after "--apply" are passed on unchanged.
void execBatchProgram(char **argv)
{
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return;
    self[n] = 0;
    std::string program(self);
    program = program.substr(0, program.rfind('/') + 1) + "glintwave-apply";
    argv[1] = const_cast<char *>(program.c_str());
    execv(program.c_str(), argv + 1);
    argv[1] = const_cast<char *>("--apply");   // not there: run it here instead
}
} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--apply") == 0) {
        execBatchProgram(argv);
        QCoreApplication app(argc, argv);
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

    const QByteArray file = commandLine(argc, argv);
    if (!file.isEmpty()) {
        // A file named on the command line opens in the viewer with the user's
        // options; the main window never shows and nothing is written.
        window.state().CommandLine = RawPath::display(file);
        window.state().CommandLineBytes = file;
        window.loadOptionsOnly();
        struct stat st;
        if (::stat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
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
