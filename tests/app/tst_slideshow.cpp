// A clip in a slide show, through the main window and the viewer: the show
// goes on when the clip ends, not at the timer's tick. (The end of a show is
// tst_faultydecoder's.)
#include "browser/FileListModel.h"
#include "player/ui/MediaPlayerWidget.h"
#include "core/OptionSet.h"
#include "app/frmMain.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "PlayerTestMedia.h"
#include "StartedWindow.h"
#include "TestPictures.h"
#include "TodaysMedia.h"

class TestSlideShow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;

    frmMedia *viewer() { return w->viewer(false); }
    void closeViewer()
    {
        if (viewer())
            viewer()->close();
        QTRY_VERIFY(!viewer());
    }

private slots:
    void initTestCase()
    {
        for (int i = 1; i <= 5; ++i)
            QVERIFY(testpictures::solid(20 + i, 10 + i, QColor(i * 40, 0, 0))
                        .save(dir.filePath(QString("p%1.bmp").arg(i))));
        QString error;
        QVERIFY2(todaysmedia::soxTone(dir.filePath("p3b.wav"), &error, 0.6), qPrintable(error));   // between p3 and p4
        w = startedWindow(dir.filePath("s.ini"));
        w->goToFolder(dir.path());
        w->options().SlideDelay = 0.5;
    }

    void audioInASlideShowContinuesWhenItEnds()
    {
        QCOMPARE(w->listModel()->names().at(3), QString("p3b.wav"));   // the default boxes list both kinds
        w->selectEntry(3);
        w->cmdSlideshow_MouseDown(2);
        QTRY_COMPARE_WITH_TIMEOUT(w->currentEntry(), 4, 3000);
        QVERIFY(viewer()->mdpMedia && viewer()->mdpMedia->isVisible());
        QVERIFY(!viewer()->tmrSlideshow->isActive()); // the clip, not the timer, moves on
        QTRY_COMPARE_WITH_TIMEOUT(w->currentEntry(), 5, 8000);
        closeViewer();
    }

    void cleanupTestCase() { w.reset(); }
};

GW_PLAYER_TEST_MAIN(TestSlideShow)
#include "tst_slideshow.moc"
