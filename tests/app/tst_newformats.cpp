// Today's formats end to end through the main window: clips played to the end of their stream, pictures (one with
// no extension) thumbnailed by pixels; the stored Filter text of an older
// Glintwave. (Decoding on its own is tests/viewer/tst_newpictures, the
// kind of each file tests/browser/tst_contentkind.)
#include "browser/FileListModel.h"
#include "player/ui/MediaPlayerWidget.h"
#include "core/OptionSet.h"
#include "PlayerTestMedia.h"
#include "TodaysMedia.h"
#include "app/frmMain.h"
#include "viewer/ui/frmMedia.h"
#include "viewer/ui/PictureBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"
#include "TestPictures.h"
#include "BatchRun.h"
#include "StartedWindow.h"

namespace {
QStringList allNewKinds()
{
    return todaysmedia::pictureKinds() + todaysmedia::audioKinds() + todaysmedia::videoKinds();
}
} // namespace

class TestNewFormats : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString ini;
    std::unique_ptr<frmMain> w;

    frmMedia *open(const QString &name)
    {
        w->selectEntry(w->listModel()->names().indexOf(name) + 1);
        w->ShowMedia();
        return w->viewer(false);
    }

private slots:
    void initTestCase()
    {
        ini = dir.filePath("s.ini");
        QString error;
        for (const QString &kind : allNewKinds())
            QVERIFY2(!todaysmedia::make(dir.path(), kind, &error, "new").isEmpty(), qPrintable(error));
        QVERIFY(QFile::copy(dir.filePath("new.png"), dir.filePath("snapshot")));
        QImage old = testpictures::solid(64, 48, Qt::green);
        QVERIFY(old.save(dir.filePath("old.jpg")) && old.save(dir.filePath("old.bmp")));
        w = startedWindow(ini);
        w->goToFolder(dir.path());
    }

    // Outside a slide show the viewer closes when a clip ends: the clip
    // played through to the end of its stream.
    void clipsPlayToTheirEnd_data()
    {
        QTest::addColumn<QString>("kind");
        for (const QString &kind : todaysmedia::audioKinds() + todaysmedia::videoKinds())
            QTest::newRow(qPrintable(kind)) << kind;
    }
    void clipsPlayToTheirEnd()
    {
        QFETCH(QString, kind);
        QPointer<frmMedia> v = open("new." + kind);
        QVERIFY(v && v->mdpMedia && v->mdpMedia->isVisible());
        QSignalSpy ended(v->mdpMedia, &MediaPlayerWidget::endOfStream);
        QVERIFY2(ended.wait(20000), qPrintable(v->mdpMedia->errorText()));
        QVERIFY(v->mdpMedia->errorText().isEmpty());
        QTRY_VERIFY(v.isNull());
    }

    // A clip that is no longer shown never closes the viewer: Space from a
    // clip to a text file, and the text stays when the hidden clip ends.
    void aReplacedClipDoesNotCloseTheViewer()
    {
        const QString folder = dir.filePath("replaced");
        QVERIFY(QDir().mkpath(folder));
        const QString kind = todaysmedia::audioKinds().first();
        QVERIFY(QFile::copy(dir.filePath("new." + kind), folder + "/a." + kind));
        QVERIFY(testfiles::writeFile(folder + "/b.txt", "still here\n"));
        w->goToFolder(folder);
        QCOMPARE(w->listModel()->names(), QStringList({"a." + kind, "b.txt"}));
        QPointer<frmMedia> v = open("a." + kind);
        QVERIFY(v && v->mdpMedia && v->mdpMedia->isVisible());
        QSignalSpy ended(v->mdpMedia, &MediaPlayerWidget::endOfStream);
        QTest::keyClick(v, Qt::Key_Space);
        QCOMPARE(w->currentEntry(), 2);
        QVERIFY(v->lstMedia->isVisible());
        QVERIFY2(ended.wait(20000), qPrintable(v->mdpMedia->errorText()));
        QCoreApplication::processEvents();
        QVERIFY(!v.isNull() && v->isVisible() && v->lstMedia->isVisible());
        v->close();
        QTRY_VERIFY(v.isNull());
        w->goToFolder(dir.path());
    }

    // Every new picture kind shows in the viewer and goes through the batch
    // mode: red on the left, blue on the right, flipped by H in the batch.
    void newPicturesOpenInTheViewerAndTheBatchMode()
    {
        QTemporaryDir out;
        for (const QString &kind : todaysmedia::pictureKinds()) {
            QPointer<frmMedia> v = open("new." + kind);
            QVERIFY2(v, qPrintable(kind));
            QTRY_VERIFY2(!v->picMedia->picture().isNull(), qPrintable(kind));
            const QImage shown = v->picMedia->picture();
            const int y = shown.height() / 2;
            QVERIFY2(testpictures::near(shown.pixel(shown.width() / 8, y), qRgb(255, 0, 0), 48)
                         && testpictures::near(shown.pixel(shown.width() * 7 / 8, y), qRgb(0, 0, 255), 48),
                     qPrintable(kind));
            v->close();
            QTRY_VERIFY(v.isNull());
            const testbatch::BatchRun r = testbatch::batch({"--apply", "H", "--out", out.path(), dir.filePath("new." + kind)});
            QVERIFY2(r.status == 0, qPrintable(kind + ": " + r.err));
            const QImage flipped(r.out.trimmed());
            QVERIFY2(testpictures::near(flipped.pixel(flipped.width() / 8, flipped.height() / 2), qRgb(0, 0, 255), 48),
                     qPrintable(kind));
        }
    }

    // Every picture kind, and a PNG without an extension (known by its
    // content), thumbnailed with red on the left, blue on the right.
    void picturesThumbnailedByTheirPixels()
    {
        w->chkFilter[0]->setChecked(true);   // All Files, for the snapshot
        w->chkFilter_Click(0);
        w->options().ThumbSize = 40;
        w->mnuThumbs_Click();
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), allNewKinds().size() + 3, 20000);
        for (const QString &kind : todaysmedia::pictureKinds() + QStringList{"snapshot"}) {
            const int row = w->listModel()->names().indexOf(kind == "snapshot" ? kind : "new." + kind);
            const QImage t = w->listModel()->data(w->listModel()->index(row), Qt::DecorationRole).value<QPixmap>().toImage();
            QCOMPARE(t.size(), QSize(40, 40));
            // lossy kinds blur the edge
            QVERIFY2(testpictures::near(t.pixel(5, 20), qRgb(255, 0, 0), 48)
                         && testpictures::near(t.pixel(35, 20), qRgb(0, 0, 255), 48),
                     qPrintable(kind));
        }
        w->mnuList_Click();
    }

    // A sixteen-character Filter from an older Glintwave: its boxes as they
    // were, the new ones ticked, written back with the new boxes appended.
    void sixteenCharacterFilterRoundTrip()
    {
        w->close();
        w.reset();
        {
            QSettings raw(ini, QSettings::IniFormat);
            raw.setValue("Settings/Filter", "0000001000000001");   // *.BMP and *.WMF
        }
        w = startedWindow(ini);
        for (int i = 0; i < TypeFilters::BoxCount; ++i)
            QCOMPARE(w->chkFilter[i]->isChecked(), i == 6 || i == 15 || i >= 16);
        QVERIFY(w->listModel()->names().contains("old.bmp"));
        w->chkFilter[17]->setChecked(false);
        w->close();
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("Settings/Filter").toString(), QString("00000010000000011011"));
    }

    void cleanupTestCase() { w.reset(); }
};

GW_PLAYER_TEST_MAIN(TestNewFormats)
#include "tst_newformats.moc"
