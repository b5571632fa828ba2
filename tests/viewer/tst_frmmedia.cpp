#include "AppState.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "ScaleRule.h"
#include "TestMedia.h"
#include "frmMedia.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace testmedia;

class TestFrmMedia : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pictureIsScaledToTheScreenAndCentred();
    void pictureThatCannotBeLoadedKeepsWhatWasShown();
    void slideTimerRunsOnlyDuringASlideShow();
    void textShowsPathEmptyLineThenLinesAndIsReplaced();
    void escapeFromAnyControlClosesAndEndsTheSlideShow();
    void otherKeysGoToTheKeyHandler();
    void mouseClosesDragsAndPopsUp();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    OptionSet &options() { return m_options; }
    AppState &appState() { return m_state; }
    // A new viewer, or the open one: the window deletes itself when it closes.
    frmMedia *viewer()
    {
        if (!m_viewer)
            m_viewer = new frmMedia(m_options, m_state);
        return m_viewer;
    }
    QTemporaryDir m_dir;
    OptionSet m_options;
    AppState m_state;
    QPointer<frmMedia> m_viewer;
};

void TestFrmMedia::init()
{
    m_options = OptionSet();
    m_options.BgColour = QColor(0x30, 0x20, 0x10);
    m_state = AppState();
}

void TestFrmMedia::cleanup()
{
    delete m_viewer;
}

void TestFrmMedia::pictureIsScaledToTheScreenAndCentred()
{
    options().ScaleBig = true;
    QVERIFY(halves(3000, 1000).save(path("wide.jpg"), "JPG", 90));
    frmMedia *v = viewer();
    QVERIFY(v->showPicture(path("wide.jpg")));
    QVERIFY(v->isVisible());

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(v->geometry(), QGuiApplication::primaryScreen()->geometry());
    const QSize expected = ScaleRule::scaledSize(QSize(3000, 1000), screen, 1, 0);
    QVERIFY(expected.width() < 3000);
    QCOMPARE(v->picMedia->size(), expected);
    QCOMPARE(v->picMedia->picture().size(), expected);
    QCOMPARE(v->picMedia->pos(),
             QPoint((screen.width() - expected.width()) / 2, (screen.height() - expected.height()) / 2));
    QVERIFY(v->picSpare.isNull());
    QVERIFY(v->picMedia->isVisible() && !v->lstMedia->isVisible() && !v->lblWave->isVisible());

    // Without ScaleBig it keeps its own size, centred off the screen's edges.
    options().ScaleBig = false;
    QVERIFY(v->showPicture(path("wide.jpg")));
    QCOMPARE(v->picMedia->size(), QSize(3000, 1000));
    QCOMPARE(v->picMedia->x(), (screen.width() - 3000) / 2);

    // scaleIt on the shown picture gives the same rule.
    options().ScaleBig = true;
    v->scaleIt();
    QCOMPARE(v->picMedia->size(), expected);
    QVERIFY(v->picSpare.isNull());
}

void TestFrmMedia::pictureThatCannotBeLoadedKeepsWhatWasShown()
{
    QVERIFY(halves(64, 32).save(path("small.bmp"), "BMP"));
    QVERIFY(writeFile(path("broken.jpg"), "\xFF\xD8garbage"));
    frmMedia *v = viewer();

    QVERIFY(!v->showPicture(path("broken.jpg")));   // fresh window: nothing, centred
    QVERIFY(v->picMedia->picture().isNull());
    // A line names the file and says why.
    QVERIFY(v->lblProblem->isVisible());
    QVERIFY2(v->lblProblem->text().startsWith("Cannot show \"broken.jpg\": "), qPrintable(v->lblProblem->text()));

    QVERIFY(v->showPicture(path("small.bmp")));
    QVERIFY(!v->lblProblem->isVisible());
    v->picMedia->move(3, 4);                        // dragged away
    QVERIFY(!v->showPicture(path("broken.jpg")));
    QCOMPARE(v->picMedia->picture().size(), QSize(64, 32));
    QVERIFY(v->lblProblem->isVisible());
    QVERIFY(!v->showPicture(path("missing.jpg")));
    QVERIFY2(v->lblProblem->text().endsWith("No such file or directory"), qPrintable(v->lblProblem->text()));
    const QSize screen = v->screenSize();
    QCOMPARE(v->picMedia->pos(), QPoint((screen.width() - 64) / 2, (screen.height() - 32) / 2));
}

void TestFrmMedia::slideTimerRunsOnlyDuringASlideShow()
{
    QVERIFY(halves(16, 16).save(path("s.bmp"), "BMP"));
    QVERIFY(writeFile(path("t.txt"), "line"));
    frmMedia *v = viewer();
    QVERIFY(v->showPicture(path("s.bmp")));
    QVERIFY(!v->tmrSlideshow->isActive());

    appState().SlideShowRunning = true;
    options().SlideDelay = 3;
    QSignalSpy ticks(v, &frmMedia::slideTick);
    QVERIFY(v->showPicture(path("s.bmp")));
    QVERIFY(v->tmrSlideshow->isActive());
    QCOMPARE(v->tmrSlideshow->interval(), 3000);

    // A text file stops the timer: the slide show waits there.
    v->showText(path("t.txt"));
    QVERIFY(!v->tmrSlideshow->isActive());

    // Each tick is announced.
    options().SlideDelay = 0.05;
    QVERIFY(v->showPicture(path("s.bmp")));
    QTRY_VERIFY(ticks.count() > 0);
}

void TestFrmMedia::textShowsPathEmptyLineThenLinesAndIsReplaced()
{
    QVERIFY(writeFile(path("a.txt"), "first\r\nsecond\n\nfourth"));
    QVERIFY(writeFile(path("b.log"), "caf\xe9 in Latin-1\r"));
    options().TextFontName = "DejaVu Sans Mono";
    options().TextFontSize = 14;
    options().TextFontBold = true;
    frmMedia *v = viewer();
    QVERIFY(v->showText(path("a.txt")));
    QCOMPARE(v->lstMediaModel->stringList(),
             (QStringList{path("a.txt"), "", "first", "second", "", "fourth"}));
    QVERIFY(v->lstMedia->isVisible() && !v->picMedia->isVisible());
    QCOMPARE(v->lstMedia->geometry(), QRect(QPoint(0, 0), v->screenSize()));
    QCOMPARE(v->lstMedia->font().family(), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(v->lstMedia->font().pointSize(), 14);
    QVERIFY(v->lstMedia->font().bold());

    // A second text file replaces the first one's lines.
    QVERIFY(v->showText(path("b.log")));
    QCOMPARE(v->lstMediaModel->stringList(),
             (QStringList{path("b.log"), "", QString::fromUtf8("caf\xc3\xa9 in Latin-1")}));

    // A file that cannot be read still shows its path.
    QVERIFY(!v->showText(path("gone.txt")));
    QCOMPARE(v->lstMediaModel->stringList(), (QStringList{path("gone.txt"), ""}));
}

void TestFrmMedia::escapeFromAnyControlClosesAndEndsTheSlideShow()
{
    QVERIFY(writeFile(path("a.txt"), "x"));
    frmMedia *v = viewer();
    QVERIFY(v->showText(path("a.txt")));
    appState().SlideShowRunning = true;
    appState().PlaybackPaused = true;
    v->tmrSlideshow->start(100000);
    QPointer<frmMedia> watch(v);

    QTest::keyClick(v->lstMedia, Qt::Key_Escape);   // the list has the focus
    QTRY_VERIFY(watch.isNull());                     // closed and destroyed
    QVERIFY(!appState().SlideShowRunning);
    QVERIFY(!appState().PlaybackPaused);

    // A double click on the text is the Escape command too.
    v = viewer();
    QVERIFY(v->showText(path("a.txt")));
    watch = v;
    QTest::mouseDClick(v->lstMedia->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY(watch.isNull());
}

void TestFrmMedia::otherKeysGoToTheKeyHandler()
{
    QVERIFY(halves(16, 16).save(path("s.bmp"), "BMP"));
    QList<QPair<int, int>> keys;
    frmMedia *v = viewer();
    connect(v, &frmMedia::keyDown, this, [&](int16_t code, int16_t shift) { keys << qMakePair(int(code), int(shift)); });
    QVERIFY(v->showPicture(path("s.bmp")));
    QTest::keyClick(v->picMedia, Qt::Key_H, Qt::ShiftModifier);
    QTest::keyClick(v->lstMedia, Qt::Key_Space);
    QTest::keyClick(v, Qt::Key_Plus, Qt::KeypadModifier);
    // The Shift key itself arrives first, as a key of its own.
    QCOMPARE(keys, (QList<QPair<int, int>>{{16, 1}, {72, 1}, {32, 0}, {107, 0}}));
    QVERIFY(v->isVisible());

    // Keys meant for other windows are left alone.
    QWidget other;
    other.show();
    QTest::keyClick(&other, Qt::Key_H);
    QCOMPARE(keys.size(), 4);

    // An application-wide shortcut does not swallow the viewer's key.
    QAction save;
    save.setShortcut(QKeySequence(Qt::Key_X));
    save.setShortcutContext(Qt::ApplicationShortcut);
    other.addAction(&save);
    int triggered = 0;
    connect(&save, &QAction::triggered, this, [&] { ++triggered; });
    QApplication::setActiveWindow(v);
    QVERIFY(QTest::qWaitForWindowActive(v));
    QTest::keyClick(v->lstMedia, Qt::Key_X);
    QCOMPARE(triggered, 0);
    QCOMPARE(keys.last(), qMakePair(88, 0));
}

void TestFrmMedia::mouseClosesDragsAndPopsUp()
{
    QVERIFY(halves(100, 80).save(path("p.bmp"), "BMP"));
    frmMedia *v = viewer();
    QSignalSpy popups(v, &frmMedia::popupRequested);
    QVERIFY(v->showPicture(path("p.bmp")));
    const QPoint start = v->picMedia->pos();

    // Drag: grab at (10, 20) inside the picture, move the pointer by (30, 15).
    QTest::mousePress(v->picMedia, Qt::LeftButton, {}, QPoint(10, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 35), v->picMedia->mapToGlobal(QPointF(40, 35)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(v->picMedia, &move);
    QCOMPARE(v->picMedia->pos(), start + QPoint(30, 15));
    QTest::mouseRelease(v->picMedia, Qt::LeftButton, {}, QPoint(40, 35));

    // Right presses pop up the menu, on the picture and on the background.
    QTest::mousePress(v->picMedia, Qt::RightButton, {}, QPoint(5, 5));
    QTest::mousePress(v, Qt::RightButton, {}, QPoint(2, 2));
    QCOMPARE(popups.count(), 2);
    QVERIFY(v->isVisible());

    // A double click on the picture closes the viewer.
    QPointer<frmMedia> watch(v);
    QTest::mouseDClick(v->picMedia, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_VERIFY(watch.isNull());

    // So does a left press on the background.
    v = viewer();
    QVERIFY(v->showPicture(path("p.bmp")));
    watch = v;
    QTest::mousePress(v, Qt::LeftButton, {}, QPoint(2, 2));
    QTRY_VERIFY(watch.isNull());
}

QTEST_MAIN(TestFrmMedia)
#include "tst_frmmedia.moc"
