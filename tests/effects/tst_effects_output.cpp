// Saving, printing, the wallpaper and the batch mode, against real files.
#include "BatchRun.h"
#include "effects/ui/DeskWall.h"
#include "effects/KeyDispatcher.h"
#include "effects/ViewerList.h"
#include "effects/NeighbourEffects.h"
#include "effects/GeometricEffects.h"
#include "effects/ui/PictureOutput.h"

#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

#include <sys/stat.h>

namespace {
using namespace testfiles;
using namespace testbatch;

struct Folder : ViewerList {
    QString folder;
    int currentEntry() const override { return 1; }
    int entryCount() const override { return 1; }
    void selectEntry(int) override {}
    void showEntry() override {}
    QString saveFolder() const override { return folder; }
};

QImage picture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) % 256));
    return img;
}

QStringList bmpFiles(const QString &dir) { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
} // namespace

class TestEffectsOutput : public QObject {
    Q_OBJECT
private slots:
    void saveNumbersLowestFree()
    {
        QTemporaryDir a, b;
        const QImage img = picture(31, 17);
        QCOMPARE(SavePic(img, a.path()).path, a.filePath("gw001.bmp"));
        QCOMPARE(SavePic(img, a.path()).path, a.filePath("gw002.bmp"));
        QCOMPARE(SavePic(img, b.path()).path, b.filePath("gw001.bmp")); // each folder on its own
        QVERIFY(QFile::remove(a.filePath("gw001.bmp")));
        QVERIFY(writeFile(a.filePath("gw003.bmp")));
        QCOMPARE(SavePic(img, a.path()).path, a.filePath("gw001.bmp")); // a gap is reused
        QCOMPARE(SavePic(img, a.path()).path, a.filePath("gw004.bmp"));
        QCOMPARE(bmpFiles(a.path()), (QStringList{"gw001.bmp", "gw002.bmp", "gw003.bmp", "gw004.bmp"}));

        // A Windows bitmap with the same pixels.
        const QImage back(a.filePath("gw002.bmp"));
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32), img);
    }

    void saveFailuresReplaceNothing()
    {
        QTemporaryDir dir;
        const QImage img = picture(4, 4);
        for (int n = 1; n <= 999; ++n)
            QVERIFY(writeFile(dir.filePath(saveName(n))));
        const OutputResult full = SavePic(img, dir.path());
        QVERIFY(!full.ok);
        QVERIFY(full.error.contains("gw999.bmp"));
        QCOMPARE(bmpFiles(dir.path()).size(), 999); // no leftovers, nothing replaced
        QCOMPARE(QFileInfo(dir.filePath("gw500.bmp")).size(), 1);

        QVERIFY(SavePic(img, dir.filePath("no such folder")).error.contains("does not exist"));
        QVERIFY(!SavePic(img, dir.filePath("gw001.bmp")).ok);   // not a folder
        QVERIFY(!SavePic(QImage(), dir.path()).ok);

        // An unwritable folder (permissions do not stop root: use a read-only
        // mount where there is one).
        if (QFileInfo("/proc/self").isDir()) {
            const OutputResult ro = SavePic(img, "/proc/self");
            QVERIFY(!ro.ok);
            QVERIFY(!ro.error.isEmpty());
        }
    }

    void saveKeyThroughHandler()
    {
        QTemporaryDir dir;
        KeyDispatcher d;
        PictureView v;
        v.image = picture(8, 8);
        d.setView(v);
        QStringList saved, messages;
        Folder list;
        list.folder = dir.path();
        d.setList(&list);
        connect(&d, &KeyDispatcher::saved, [&](const QString &p) { saved << p; });
        connect(&d, &KeyDispatcher::message, [&](const QString &m) { messages << m; });
        d.Form_KeyDown(88, 7); // X with any shift state
        QVERIFY(d.waitForIdle(10000));
        QCOMPARE(saved, QStringList{dir.filePath("gw001.bmp")});
        QVERIFY(messages.isEmpty());
        list.folder = dir.filePath("gone");
        d.Form_KeyDown(88, 0);
        QVERIFY(d.waitForIdle(10000));
        QCOMPARE(messages.size(), 1);
    }

    void printOrientation()
    {
        QTemporaryDir dir;
        const QImage img = picture(192, 96);
        for (int shift : {0, 1, 2, 4, 6}) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setPageSize(QPageSize(QPageSize::A4));
            const QString pdf = dir.filePath(QString("p%1.pdf").arg(shift));
            printer.setOutputFileName(pdf);
            const OutputResult r = PrintPic(img, int16_t(shift), printer);
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(printer.pageLayout().orientation(), shift == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
            QVERIFY(readAll(pdf).startsWith("%PDF"));
        }
    }

    // The path reaches some desktops' commands through a shell: quoted,
    // whatever it holds. GNOME is known inside a list of names, as Ubuntu
    // names it (its plan is carried out in tst_effects_wallpaper_dbus, X's in
    // tst_effects_wallpaper_x11); a desktop whose tool is missing gets no plan.
    void wallpaperPlans()
    {
        QProcessEnvironment xfce, gnome;
        xfce.insert("XDG_CURRENT_DESKTOP", "XFCE");
        gnome.insert("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
        const auto all = [](const QString &) { return true; };
        QVERIFY(wallpaperPlan(xfce, "/tmp/it's.bmp", all).steps[0].arguments.last().contains("'/tmp/it'\\''s.bmp'"));
        QCOMPARE(wallpaperPlan(gnome, "/tmp/a.bmp", all).desktop, QStringLiteral("GNOME"));
        QVERIFY(wallpaperPlan(gnome, "/tmp/a.bmp", [](const QString &) { return false; }).steps.empty());
    }

    // Every key's name is read back in tst_effects_table; a list that is not
    // one is refused whole.
    void badKeyListsAreRefused()
    {
        for (const QString bad : {"Foo", "Shift+Shift+Z", "Z,,T", "", "Shift+"}) {
            const KeyListParse r = parseKeyList(bad);
            QVERIFY2(!r.error.isEmpty(), qPrintable(bad));
            QVERIFY(r.keys.empty());
        }
    }

    void batchAppliesKeysAndSaves()
    {
        QTemporaryDir in, out;
        const QImage img = picture(60, 40);
        QVERIFY(img.save(in.filePath("a.png")));
        BatchRun r = batch({"--apply", "Shift+Z,T", "--out", out.path(), in.filePath("a.png")}, {40, 0xFFFFFF});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.trimmed(), out.filePath("gw001.bmp"));
        QCOMPARE(QImage(out.filePath("gw001.bmp")).convertToFormat(QImage::Format_RGB32), rotateimage(emboss(img, 40), 0));

        // Without --out the result goes beside the file; --screen sizes stretch.
        r = batch({"--apply", "S", "--screen", "320x200", in.filePath("a.png")});
        QCOMPARE(r.status, 0);
        QCOMPARE(QImage(in.filePath("gw001.bmp")).size(), QSize(320, 200));

        // The same seed gives the same noise.
        r = batch({"--apply", "7", "--seed", "5", "--out", out.path(), in.filePath("a.png")});
        const BatchRun again = batch({"--apply", "7", "--seed", "5", "--out", out.path(), in.filePath("a.png")});
        QCOMPARE(r.status + again.status, 0);
        QCOMPARE(QImage(out.filePath("gw002.bmp")), QImage(out.filePath("gw003.bmp")));
        QVERIFY(QImage(out.filePath("gw002.bmp")) != QImage(out.filePath("gw001.bmp")));
    }

    void batchRefusesBeforeWriting()
    {
        QTemporaryDir in;
        QVERIFY(picture(5, 5).save(in.filePath("a.png")));
        const QStringList refused[] = {
            {"--apply", "T,Space", in.filePath("a.png")},
            {"--apply", "T", "--screen", "0x5", in.filePath("a.png")},
            {"--apply", "T", "--seed", "-3", in.filePath("a.png")},
            {"--apply", "T", "--out", in.filePath("missing"), in.filePath("a.png")},
            {"--apply", "T"},
            {"--apply", "T", "--frobnicate", in.filePath("a.png")},
        };
        for (const QStringList &args : refused) {
            const BatchRun r = batch(args);
            QVERIFY2(r.status == 2, qPrintable(args.join(' ')));
            QVERIFY(!r.err.isEmpty());
            QVERIFY(r.out.isEmpty());
        }
        QCOMPARE(bmpFiles(in.path()), QStringList{"a.png"});
    }

    void outputsFollowTheUmask()
    {
        // Under a umask of 022 every picture written is readable by all, as any
        // other program's files; and nothing else is left in the folder.
        QTemporaryDir dir, in;
        QVERIFY(picture(9, 9).save(in.filePath("a.png")));
        const OutputResult saved = SavePic(picture(7, 5), dir.path());
        QVERIFY(saved.ok);
        QCOMPARE(modeOf(saved.path), mode_t(0644));
        const DeskWallResult wall = DeskWall(picture(6, 6), dir.path(), QProcessEnvironment());
        QVERIFY(wall.written && !wall.set);   // no desktop at all: written, then the user is told
        QVERIFY(wall.message.contains("cannot set the wallpaper"));
        QCOMPARE(modeOf(dir.filePath("Glintwave.bmp")), mode_t(0644));
        QCOMPARE(batch({"--apply", "N", in.filePath("a.png")}).status, 0);
        QCOMPARE(modeOf(in.filePath("gw001.bmp")), mode_t(0644));
        QCOMPARE(bmpFiles(dir.path()), (QStringList{"Glintwave.bmp", "gw001.bmp"}));
    }
};

int main(int argc, char **argv)
{
    ::umask(022);   // a known umask before anything is written
    QApplication app(argc, argv);
    TestEffectsOutput test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_effects_output.moc"
