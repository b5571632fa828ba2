#include "effects/BatchMode.h"
#include "core/CommandLine.h"
#include "decode/ProgramPool.h"
#include "viewer/PictureLimits.h"
#include "viewer/PictureLoader.h"
#include "core/RawPath.h"
#include "core/SettingsStore.h"
#include "web/WebEngineSetup.h"
#include "app/LoadedParts.h"
#include "app/frmMain.h"
#include "core/version.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcessEnvironment>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The bytes of the file the parser chose: the argument that spells it, byte
// for byte, so that a name that is not valid UTF-8 still opens.
QByteArray fileBytes(const QString &file, int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (QString::fromLocal8Bit(argv[i]) == file)
            return QByteArray(argv[i]);
    return QFile::encodeName(file);
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

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}
} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineRequest request =
        parseCommandLine(arguments, [](const QString &path) { return QFileInfo(path).isFile(); });

    switch (request.action) {
    case CommandLineRequest::Action::Apply: {
        execBatchProgram(argv);
        QCoreApplication app(argc, argv);
        QList<QByteArray> args{"--apply"};
        for (int i = 2; i < argc; ++i)
            args << QByteArray(argv[i]);
        return runBatch(args);
    }
    case CommandLineRequest::Action::Help:
    case CommandLineRequest::Action::Version:
        print(stdout, request.text);
        return request.exitCode;
    case CommandLineRequest::Action::Refused:
        print(stderr, request.text);
        return request.exitCode;
    case CommandLineRequest::Action::Browse:
    case CommandLineRequest::Action::Open:
        break;
    }

    // Without a display Qt would abort; say so instead.
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!displayNamed(env)) {
        print(stderr, noDisplayMessage());
        return 1;
    }
    const QString platform = preferredPlatform(env);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform.toLocal8Bit());

    // Pictures are decoded in sandboxed helpers, for every window. The first
    // helper starts before Qt does: its sandbox and its libraries take longer
    // than Qt's start and the window's, and the first picture waits for it.
    const std::unique_ptr<DecoderPool> decoders =
        startDecoderPool(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath(),
                         PictureLimits::helperAddressSpace());
    decoders->warmUp();
    PictureLoader::setDecoderPool(decoders.get());

    prepareWebEngineEnvironment();
    // Qt sees the program's name only: a file called "-style" is a file,
    // never one of Qt's own options.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName("Glintwave");
    QApplication::setApplicationVersion(QStringLiteral(GLINTWAVE_VERSION_TEXT));
    QApplication::setDesktopFileName(QStringLiteral("glintwave"));
    QApplication::setWindowIcon(QIcon(":/glintwave.svg"));
    auto store = std::make_shared<SettingsStore>();
    LoadedParts parts(LoadedParts::moduleCandidates(QCoreApplication::applicationDirPath()));
    frmMain window(store, parts);
    window.state().DecodingNotice = decoders->notice();
    if (!window.state().DecodingNotice.isEmpty())
        print(stderr, QStringLiteral("glintwave: %1\n").arg(window.state().DecodingNotice));

    if (request.action == CommandLineRequest::Action::Open) {
        const QByteArray file = fileBytes(request.file, argc, argv);
        // A file named on the command line opens in the viewer with the user's
        // options; the main window never shows and nothing is written.
        window.state().CommandLine = RawPath::display(file);
        window.state().CommandLineBytes = file;
        window.loadOptionsOnly();
        struct stat st;
        const int found = ::stat(file.constData(), &st);
        if (found != 0 || !S_ISREG(st.st_mode)) {
            window.showDiskError(RawPath::display(file),
                                 found != 0 ? qt_error_string(errno) : QStringLiteral("Not a regular file"));
            return 1;
        }
        window.ShowMedia();
        bool shown = false;
        for (QWidget *w : QApplication::topLevelWidgets())
            shown = shown || (w != &window && w->isVisible());
        if (!shown)
            return 0; // a kind that shows nothing
        QList<QByteArray> files;
        for (const QString &f : request.files)
            files << fileBytes(f, argc, argv);
        window.listBehindCommandLine(files);
        return app.exec();
    }

    window.Form_Load();
    window.show();
    return app.exec();
}
