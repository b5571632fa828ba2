// robustness_probe viewer FILE   shows FILE in the viewer window as opening
//                                it from the list does; prints "shown" or
//                                "problem: " and the viewer's line
// robustness_probe thumbs FOLDER builds the Thumbnails view's items for
//                                every file of FOLDER; prints the counts
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "viewer/ThumbnailBuilder.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    if (args.at(1) == QLatin1String("viewer")) {
        OptionSet options;
        AppState state;
        auto *viewer = new frmMedia(options, state);
        // The picture arrives from a worker: wait for its answer.
        bool shown = false, answered = false;
        QEventLoop wait;
        QObject::connect(viewer, &frmMedia::pictureShown, &wait, [&](const QString &, bool ok) {
            shown = ok;
            answered = true;
            wait.quit();
        });
        shown = viewer->showPicture(args.at(2));
        if (!shown && !answered)
            wait.exec();
        QCoreApplication::processEvents();
        if (shown)
            std::printf("shown\n");
        else
            std::printf("problem: %s\n", qPrintable(viewer->lblProblem->isVisible() ? viewer->lblProblem->text()
                                                                                    : QStringLiteral("(no line)")));
        delete viewer;
        return shown ? 0 : 1;
    }
    if (args.at(1) == QLatin1String("thumbs")) {
        QList<ThumbnailEntry> entries;
        for (const QString &name : QDir(args.at(2)).entryList(QDir::Files, QDir::Name))
            entries << ThumbnailEntry{name, 0, {}};
        ThumbnailBuilder builder;
        int items = 0;
        QObject::connect(&builder, &ThumbnailBuilder::itemReady, [&](int, const QString &, const PackedImage &) { ++items; });
        QEventLoop loop;
        QObject::connect(&builder, &ThumbnailBuilder::finished, &loop, &QEventLoop::quit);
        builder.start(args.at(2), entries, 96);
        if (builder.isRunning())
            loop.exec();
        std::printf("%d items of %d files\n", items, int(entries.size()));
        return 0;
    }
    return 2;
}
