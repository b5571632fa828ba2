// Not a test: saves pictures of the main window at its default size (each
// media tab, the Detailed view after a header click) and of the setup dialog
// into the folder given as the first argument. Run it under Xvfb, once as it
// is and once with QT_SCALE_FACTOR=2.
#include "core/OptionSet.h"
#include "core/SettingsStore.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"
#include "browser/DetailModel.h"
#include "setup/ui/frmOptions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include "core/ui/TabRows.h"
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "SaveWindow.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir dir;
    const QString media = dir.filePath("Holiday 2003");
    QDir().mkpath(media);
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(QColor(70, 130, 180));
    const char *pictures[] = {"beach.jpg", "harbour.jpg", "sunset.bmp", "map.gif"};
    for (const char *name : pictures)
        picture.save(media + "/" + name);
    for (const char *name : {"notes.txt", "index.htm", "theme.mp3", "ferry.avi", "intro.swf"}) {
        QFile f(media + "/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(1000 + 7 * qstrlen(name) * qstrlen(name), 'x'));
    }
    // A Latin-1 name from an old archive is listed too.
    QFile::copy(media + "/beach.jpg", media + "/tmp.jpg");
    ::rename(QFile::encodeName(media + "/tmp.jpg").constData(),
             (QFile::encodeName(media) + "/caf\xe9.jpg").constData());
    QDir::setCurrent(media);

    LinkedParts parts;

    frmMain window(std::make_shared<SettingsStore>(dir.filePath("screens.ini")), parts);
    window.Form_Load();
    bool ok = true;
    const char *tabs[] = {"audio", "video", "picture", "text"};
    for (int tab = 0; tab < window.tbsMedia->count(); ++tab) {
        window.tbsMedia->setCurrentIndex(tab);
        ok = saveWindow(&window, out + "/main-tab-" + tabs[tab] + ".png") && ok;
    }
    window.mnuDetail_Click();
    QHeaderView *h = window.grdPics->horizontalHeader();
    // A left press on "Filename": ascending, shown by the header's indicator.
    QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionSize(0) / 2, 5));
    ok = saveWindow(&window, out + "/main-detailed.png") && ok;

    // A shoot: the optional Taken and Dimensions columns, sorted by Taken.
    const QString shoot = dir.filePath("Shoot");
    QDir().mkpath(shoot);
    const QList<QPair<QString, QString>> shots = {{"IMG_2041.jpg", "2024:05:17 14:03:22"}, {"IMG_2040.jpg", "2024:05:17 09:12:05"},
        {"IMG_2042.jpg", "2024:05:18 07:45:10"}, {"scan.jpg", ""}, {"panorama.jpg", "2024:05:17 19:30:44"}};
    for (int i = 0; i < shots.size(); ++i) {
        const QString path = shoot + "/" + shots[i].first;
        picture.scaled(i == 4 ? 480 : 150 + 30 * i, i == 4 ? 120 : 100 + 20 * i).save(path);
        if (!shots[i].second.isEmpty())
            QProcess::execute("exiftool", {"-q", "-overwrite_original", "-DateTimeOriginal=" + shots[i].second, path});
    }
    const QSize firstSize = window.size();
    window.resize(900, firstSize.height());   // room for six columns
    window.goToFolder(shoot);
    window.mnuTakenColumnAction->trigger();
    window.mnuDimensionsColumnAction->trigger();
    for (int c = 0; c < 6; ++c)
        window.grdPics->resizeColumnToContents(c);
    ok = QTest::qWaitFor([&] {
        const auto &rows = window.detailModel()->rows();
        return std::all_of(rows.begin(), rows.end(), [](const DetailRow &r) { return !r.dimensions.isEmpty(); });
    }, 10000) && ok;
    for (int c = 0; c < 6; ++c)
        window.grdPics->resizeColumnToContents(c);
    QTest::mousePress(h->viewport(), Qt::LeftButton, {},
                      QPoint(h->sectionViewportPosition(4) + h->sectionSize(4) / 2, 5));
    ok = saveWindow(&window, out + "/main-detailed-photo-columns.png") && ok;
    window.mnuTakenColumnAction->trigger();
    window.mnuDimensionsColumnAction->trigger();
    window.goToFolder(media);
    window.resize(firstSize);
    window.mnuList_Click();
    window.tbsMedia->setCurrentIndex(2);
    ok = saveWindow(&window, out + "/main-list.png") && ok;

    OptionSet o = window.options();
    o.EdgeTuning = 150;
    frmOptions setup(o, {"/"});
    ok = saveWindow(&setup, out + "/setup-dialog.png") && ok;
    window.hide();
    for (const char *name : {"/caf\xe9.jpg"})
        ::unlink((QFile::encodeName(media) + name).constData());
    return ok ? 0 : 1;
}
