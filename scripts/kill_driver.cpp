// Driver for scripts/kill-trial: runs one of Glintwave's own writers over and
// over until it is killed, so that a SIGKILL can land in the middle of a write.
//   kill_driver options        the main window's load and close, which writes
//                              the options file (XDG_CONFIG_HOME decides where)
//   kill_driver gallery FOLDER the gallery page of FOLDER's pictures, with
//                              thumbnails, as the HTML builder writes it
//   kill_driver turn FILE [N]  the JPEG FILE turned right on disk, as the
//                              viewer's ] key does, N times (else forever)
//   kill_driver move A B       Move To: every file of A into B, then back,
//                              as the main window moves them
#include "effects/LosslessTurn.h"
#include "web/HtmlPageWriter.h"
#include "browser/FileOperations.h"
#include "core/SettingsStore.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Glintwave");
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == "options") {
        for (int i = 0;; ++i) {
            LinkedParts parts;
            frmMain w(std::make_shared<SettingsStore>(), parts);
            w.Form_Load();
            w.options().ThumbSize = 64 + i % 50;   // a file that changes each time
            w.show();
            w.close();
        }
    }
    if (mode == "gallery" && args.size() == 3) {
        const QDir folder(args.at(2));
        HtmlPageRequest request;
        request.folder = folder.path();
        request.fileName = "Gallery.htm";
        request.content.title = "Kill trial";
        request.content.itemsPerRow = "5";
        request.content.names = folder.entryList({"*.jpg", "*.bmp", "*.gif"}, QDir::Files, QDir::Name);
        request.content.version = "0.0.0";
        request.thumbnails = true;
        request.thumbWidth = "100";
        for (;;) {
            const HtmlPageResult r = HtmlPageWriter(request).write();
            if (r.status != HtmlPageResult::Written) {
                std::fprintf(stderr, "%s\n", qPrintable(r.message));
                return 1;
            }
        }
    }
    if (mode == "turn" && args.size() >= 3) {
        const int times = args.size() > 3 ? args.at(3).toInt() : -1;
        for (int i = 0; times < 0 || i < times; ++i) {
            const losslessturn::Outcome out = losslessturn::turnJpegFile(args.at(2), losslessturn::Turn::Right);
            if (!out.ok) {
                std::fprintf(stderr, "%s\n", qPrintable(out.error));
                return 1;
            }
        }
        return 0;
    }
    if (mode == "move" && args.size() == 4) {
        for (int round = 0;; ++round) {
            const QDir from(args.at(2 + round % 2));
            const QString to = args.at(2 + (round + 1) % 2);
            for (const QString &name : from.entryList(QDir::Files, QDir::Name)) {
                const fileops::Outcome o = fileops::moveInto(from.filePath(name), to);
                if (!o.ok) {
                    std::fprintf(stderr, "%s\n", qPrintable(o.error));
                    return 1;
                }
            }
        }
    }
    std::fprintf(stderr, "usage: kill_driver options | gallery FOLDER | turn FILE [N] | move FOLDER FOLDER\n");
    return 2;
}
