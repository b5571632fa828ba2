// A decoder that crashes, hangs or eats memory, met in every path a user
// takes through the main window: the viewer, the Thumbnails view and the
// slide show. Each such picture is refused with its name, and the next one
// shows. Decoding runs in the test helper, whose decoder does what the file
// says.
#include "app/frmMain.h"
#include "TestParts.h"
#include "browser/FileListModel.h"
#include "core/SettingsStore.h"
#include "decode/DecoderPool.h"
#include "decode/HelperLaunch.h"
#include "viewer/PictureLoader.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"

#include "TestFiles.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

class TestFaultyDecoder : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<DecoderPool> pool;
    std::unique_ptr<frmMain> w;
    const QStringList faults{"crash", "hang", "alloc"};

    frmMedia *viewer() { return w->viewer(false); }
    int entryOf(const QString &name) { return w->listModel()->names().indexOf(name) + 1; }

private slots:
    void initTestCase()
    {
        DecoderPool::Options o;
        o.helper = GW_FAULTY_HELPER;
        QString why;
        o.isolated = namespacesAvailable(&why);
        o.addressSpaceBytes = qint64(1) << 30;
        o.cpuSecondsPerPicture = 2;
        o.answerMs = 5000;
        pool = std::make_unique<DecoderPool>(o);
        PictureLoader::setDecoderPool(pool.get());
        QImage good(30, 20, QImage::Format_RGB32);
        good.fill(Qt::blue);
        QVERIFY(good.save(dir.filePath("a-good.bmp")) && good.save(dir.filePath("z-good.bmp")));
        for (const QString &fault : faults)
            QVERIFY(testfiles::writeFile(dir.filePath("m-" + fault + ".bmp"), "GWFAULT " + fault.toUtf8()));
        w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")), testParts());
        w->Form_Load();
        w->show();
        w->goToFolder(dir.path());
        QTRY_COMPARE(w->listModel()->rowCount(), 5);
    }
    void cleanupTestCase()
    {
        w.reset();
        PictureLoader::setDecoderPool(nullptr);
    }

    void theViewerRefusesEachAndShowsTheNext()
    {
        for (const QString &fault : faults) {
            w->selectEntry(entryOf("m-" + fault + ".bmp"));
            w->ShowMedia();
            QVERIFY(viewer());
            const QString named = QString("Cannot show \"m-%1.bmp\": ").arg(fault);
            QTRY_VERIFY_WITH_TIMEOUT(viewer()->lblProblem->isVisible() && viewer()->lblProblem->text().startsWith(named),
                                     20000);
        }
        w->selectEntry(entryOf("z-good.bmp"));
        w->ShowMedia();
        QTRY_COMPARE_WITH_TIMEOUT(viewer()->picMedia->picture().size().isEmpty(), false, 20000);
        viewer()->close();
        QTRY_VERIFY(!viewer());
    }

    void theThumbnailsViewFillsInTheRest()
    {
        w->options().ThumbSize = 32;
        w->mnuThumbs_Click();
        // The good pictures get their thumbnails; the build ends.
        const auto thumbnailOf = [this](const QString &name) {
            const QModelIndex i = w->listModel()->index(entryOf(name) - 1);
            return w->listModel()->data(i, Qt::DecorationRole).value<QPixmap>().toImage();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!thumbnailOf("z-good.bmp").isNull() && !thumbnailOf("a-good.bmp").isNull(), 60000);
        QCOMPARE(thumbnailOf("z-good.bmp").pixelColor(16, 16), QColor(Qt::blue));
        w->mnuList_Click();
    }

    void theSlideShowGoesOnToTheEnd()
    {
        w->options().SlideDelay = 0.2;
        w->options().LoopSlide = false;
        w->cmdSlideshow_MouseDown(1);
        QTRY_COMPARE_WITH_TIMEOUT(w->currentEntry(), 5, 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!viewer(), 20000);
        QVERIFY(!w->state().SlideShowRunning);
    }
};

QTEST_MAIN(TestFaultyDecoder)
#include "tst_faultydecoder.moc"
