// The viewer window end to end: a picture shown scaled, a text file, keys
// reaching the key handler, and the preloaded neighbour.
#include "AppState.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "PicturePreloader.h"
#include "ScaleRule.h"
#include "TestMedia.h"
#include "frmMedia.h"

#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

using namespace testmedia;

namespace {
// Opens a picture and waits until it is in: true when it could be loaded.
bool openPicture(frmMedia *v, const QString &path)
{
    QSignalSpy shown(v, &frmMedia::pictureShown);
    v->showPicture(path);
    if (shown.isEmpty() && !shown.wait(20000))
        return false;
    return shown.last().at(0).toString() == path && shown.last().at(1).toBool();
}
} // namespace

class TestFrmMedia : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    OptionSet m_options;
    AppState m_state;
    QPointer<frmMedia> m_viewer;
    // A new viewer, or the open one: the window deletes itself when it closes.
    frmMedia *viewer()
    {
        if (!m_viewer)
            m_viewer = new frmMedia(m_options, m_state);
        return m_viewer;
    }

private slots:
    void init()
    {
        m_options = OptionSet();
        m_state = AppState();
    }
    void cleanup() { delete m_viewer; }

    void picturesAreScaledAndProblemsNamed()
    {
        m_options.ScaleBig = true;
        QVERIFY(halves(3000, 1000).save(path("wide.jpg"), "JPG", 90));
        QVERIFY(writeFile(path("broken.jpg"), "\xFF\xD8garbage"));
        frmMedia *v = viewer();
        QVERIFY(openPicture(v, path("wide.jpg")));
        QCOMPARE(v->picMedia->picture().size(), ScaleRule::scaledSize(QSize(3000, 1000), v->screenSize(), 1, 0));
        // A picture that cannot be loaded keeps what was shown; a line names
        // the file and says why.
        QVERIFY(!openPicture(v, path("broken.jpg")));
        QVERIFY(v->lblProblem->isVisible());
        QVERIFY2(v->lblProblem->text().startsWith("Cannot show \"broken.jpg\": "), qPrintable(v->lblProblem->text()));
    }

    void textKeysAndEscape()
    {
        QVERIFY(writeFile(path("b.log"), "first\r\ncaf\xe9 in Latin-1\r"));
        frmMedia *v = viewer();
        QList<QPair<int, int>> keys;
        connect(v, &frmMedia::keyDown, this, [&](int16_t code, int16_t shift) { keys << qMakePair(int(code), int(shift)); });
        QVERIFY(v->showText(path("b.log")));   // not UTF-8 is read as Latin-1
        QCOMPARE(v->lstMediaModel->stringList(),
                 (QStringList{path("b.log"), "", "first", QString::fromUtf8("caf\xc3\xa9 in Latin-1")}));
        // The Shift key itself arrives first, as a key of its own.
        QTest::keyClick(v->lstMedia, Qt::Key_H, Qt::ShiftModifier);
        QCOMPARE(keys, (QList<QPair<int, int>>{{16, 1}, {72, 1}}));

        // Escape closes the viewer and ends the slide show.
        m_state.SlideShowRunning = m_state.PlaybackPaused = true;
        QPointer<frmMedia> watch(v);
        QTest::keyClick(v->lstMedia, Qt::Key_Escape);
        QTRY_VERIFY(watch.isNull());
        QVERIFY(!m_state.SlideShowRunning && !m_state.PlaybackPaused);
    }

    void aPreloadedPictureShowsAtOnceUntilItsFileChanges()
    {
        QVERIFY(halves(300, 200).save(path("a.jpg"), "JPG", 90));
        QVERIFY(halves(200, 300).save(path("b.jpg"), "JPG", 90));
        frmMedia *v = viewer();
        QVERIFY(openPicture(v, path("a.jpg")));
        QSignalSpy decodes(v->pictures(), &PicturePreloader::decoding);
        v->preloadPictures({path("b.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(v->pictures()->isReady(path("b.jpg")), 10000);
        // In place before showPicture returns, and not decoded a second time.
        QVERIFY(v->showPicture(path("b.jpg")));
        QCOMPARE(decodes.count(), 1);

        // A neighbour whose file changes after it was decoded is decoded again.
        v->preloadPictures({path("a.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(v->pictures()->isReady(path("a.jpg")), 10000);
        QVERIFY(halves(100, 50).save(path("a.jpg"), "JPG", 90));
        QFile f(path("a.jpg"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        f.close();
        QVERIFY(!v->showPicture(path("a.jpg")));
        QVERIFY(v->waitForPicture());
        QCOMPARE(v->picMedia->picture().size(), QSize(100, 50));
    }

};

QTEST_MAIN(TestFrmMedia)
#include "tst_frmmedia.moc"
