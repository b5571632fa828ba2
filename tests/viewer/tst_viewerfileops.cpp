// The viewer's work on the files it shows, through keys and the wheel:
// JPEGs turned on disk without loss (a camera's orientation applied), files
// put in a real Trash (the test's own XDG_DATA_HOME), undo and redo of
// effects within their budget, the wheel stepping through the list, and a
// file rewritten while it is shown.
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "effects/EffectHistory.h"
#include "effects/LosslessTurn.h"
#include "effects/ViewerList.h"
#include "effects/ViewerSession.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"

#include "TestMedia.h"
#include "XTestKeys.h"
#include "../info/WhenModal.h"

#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

using testfiles::readAll;
using testmedia::pattern;

namespace {
// The folder the viewer steps through, kept as the main window keeps its list.
struct FolderList : ViewerList {
    QString folder;
    QStringList names;
    int current = 1;
    QPointer<frmMedia> viewer;
    QStringList changed;

    int currentEntry() const override { return names.isEmpty() ? 0 : current; }
    int entryCount() const override { return int(names.size()); }
    void selectEntry(int number) override { current = number; }
    void showEntry() override { viewer->showPicture(folder + "/" + names.at(current - 1)); }
    QString saveFolder() const override { return folder; }
    bool dropEntry(const QString &path) override
    {
        names.removeAll(QFileInfo(path).fileName());
        current = std::min(current, int(names.size()));
        return !names.isEmpty();
    }
    void entryChanged(const QString &path) override { changed << path; }
    QString shownName() const { return names.value(current - 1); }
};

QByteArray jpegtran(const QString &path, const QStringList &how)
{
    QProcess p;
    p.start("jpegtran", how + QStringList{"-perfect", "-copy", "all", path});
    return p.waitForFinished(60000) && p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
}
} // namespace

class TestViewerFileOps : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    OptionSet m_options;
    AppState m_state;
    FolderList m_list;

    QString path(const QString &name) const { return m_dir.filePath("shown/" + name); }
    const QImage &shown() const { return m_list.viewer->session()->view().image; }

    // A viewer on these files (written by the caller), showing entry number.
    frmMedia *open(const QStringList &names, int number)
    {
        m_list.folder = m_dir.filePath("shown");
        m_list.names = names;
        m_list.current = number;
        m_list.changed.clear();
        if (!m_list.viewer)
            m_list.viewer = new frmMedia(m_options, m_state, &m_list);
        QSignalSpy shownSpy(m_list.viewer.data(), &frmMedia::pictureShown);
        m_list.showEntry();
        if (shownSpy.isEmpty() && !shownSpy.wait(20000))
            return nullptr;
        return m_list.viewer;
    }
    bool idle() { return m_list.viewer->session()->waitForIdle(20000); }

private slots:
    void initTestCase()
    {
        // The Trash and the shared thumbnails of this test alone.
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath("data")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
        QVERIFY(QDir().mkpath(m_dir.filePath("shown")));
        QVERIFY(QDir().mkpath(m_dir.filePath("data")));
    }
    void cleanup() { delete m_list.viewer; }

    void keysTurnTheFileOnDisk_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("jpegtranWay");
        QTest::addColumn<QSize>("size");
        QTest::newRow("] right") << int(Qt::Key_BracketRight) << 0 << QStringList{"-rotate", "90"} << QSize(48, 64);
        QTest::newRow("[ left") << int(Qt::Key_BracketLeft) << 0 << QStringList{"-rotate", "270"} << QSize(48, 64);
        QTest::newRow("Shift+] flips left to right") << int(Qt::Key_BraceRight) << int(Qt::ShiftModifier)
                                                     << QStringList{"-flip", "horizontal"} << QSize(64, 48);
        QTest::newRow("Shift+[ flips top to bottom") << int(Qt::Key_BraceLeft) << int(Qt::ShiftModifier)
                                                     << QStringList{"-flip", "vertical"} << QSize(64, 48);
    }
    void keysTurnTheFileOnDisk()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QStringList, jpegtranWay);
        QFETCH(QSize, size);
        QVERIFY(pattern(64, 48).save(path("photo.jpg"), "JPG", 85));
        const QByteArray expected = jpegtran(path("photo.jpg"), jpegtranWay);
        QVERIFY(!expected.isEmpty());
        frmMedia *v = open({"photo.jpg"}, 1);
        QVERIFY(v);
        QSignalSpy again(v, &frmMedia::pictureShown);
        QTest::keyClick(v, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(again.wait(20000));
        QCOMPARE(readAll(path("photo.jpg")), expected);   // byte for byte: nothing re-encoded
        QCOMPARE(losslessturn::exifOrientation(readAll(path("photo.jpg"))), 1);
        QCOMPARE(shown().size(), size);   // shown again from disk
        QCOMPARE(m_list.changed, QStringList{path("photo.jpg")});
    }

    // A camera's photo stored sideways ("turn right to show", 6), turned
    // right once more: upside down on disk, tagged upright, its other tags kept.
    void aCamerasOrientationIsAppliedAndReset()
    {
        QVERIFY(pattern(64, 48).save(path("camera.jpg"), "JPG", 85));
        const QImage upsideDown = QImage::fromData(jpegtran(path("camera.jpg"), {"-rotate", "180"}), "JPG");
        QVERIFY(testmedia::tool("exiftool", {"-q", "-overwrite_original", "-Orientation#=6", "-Make=Glintwave Test",
                                             path("camera.jpg")}));
        frmMedia *v = open({"camera.jpg"}, 1);
        QVERIFY(v);
        QSignalSpy again(v, &frmMedia::pictureShown);
        QTest::keyClick(v, Qt::Key_BracketRight);
        QVERIFY(again.wait(20000));
        const QByteArray turned = readAll(path("camera.jpg"));
        QCOMPARE(losslessturn::exifOrientation(turned), 1);
        QVERIFY(turned.contains("Glintwave Test"));
        QCOMPARE(QImage::fromData(turned, "JPG"), upsideDown);
        QCOMPARE(shown().size(), QSize(64, 48));
    }

    void whatCannotBeTurnedIsToldAndLeftAlone()
    {
        QVERIFY(pattern(50, 30).save(path("odd.jpg"), "JPG", 85));
        QVERIFY(pattern(64, 48).save(path("plain.png"), "PNG"));
        const QByteArray odd = readAll(path("odd.jpg")), png = readAll(path("plain.png"));
        frmMedia *v = open({"odd.jpg", "plain.png"}, 1);
        QVERIFY(v);
        BoxWatch boxes;
        QTest::keyClick(v, Qt::Key_BracketRight);
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts.last(), QString("Glintwave: \"odd.jpg\" cannot be turned without losing its edge: its "
                                             "width or height is not a multiple of the JPEG block size"));
        QCOMPARE(readAll(path("odd.jpg")), odd);
        QTest::keyClick(v, Qt::Key_Space);
        QTRY_COMPARE(shown().size(), QSize(64, 48));
        QTest::keyClick(v, Qt::Key_BracketLeft);
        QTRY_COMPARE(boxes.texts.size(), 2);
        QCOMPARE(boxes.texts.last(), QString("Glintwave: \"plain.png\" cannot be turned on disk: only JPEG files "
                                             "can be turned without loss"));
        QCOMPARE(readAll(path("plain.png")), png);
        QVERIFY(m_list.changed.isEmpty());
    }

    // F8 at the ends of the list (in the middle: tst_opening): after the
    // last file the one before comes, after the only one the viewer closes.
    void f8PutsTheFileInTheTrashAndGoesOn()
    {
        for (const char *name : {"a.png", "b.png"})
            QVERIFY(pattern(30 + name[0] - 'a', 20).save(path(name)));
        const QByteArray b = readAll(path("b.png"));
        frmMedia *v = open({"a.png", "b.png"}, 2);
        QVERIFY(v);
        QTest::keyClick(v, Qt::Key_F8);
        QTRY_COMPARE(m_list.names, QStringList{"a.png"});
        QTRY_COMPARE(shown().width(), 30);
        QVERIFY(!QFileInfo::exists(path("b.png")));
        QCOMPARE(readAll(m_dir.filePath("data/Trash/files/b.png")), b);
        QPointer<frmMedia> closing = v;
        QTest::keyClick(v, Qt::Key_F8);
        QTRY_VERIFY(closing.isNull());
        QVERIFY(m_list.names.isEmpty());
        QCOMPARE(testfiles::entries(m_dir.filePath("data/Trash/files")), (QStringList{"a.png", "b.png"}));
    }

    void undoAndRedoStepThroughEveryEffect()
    {
        QVERIFY(pattern(64, 48).save(path("u.png")));
        frmMedia *v = open({"u.png"}, 1);
        QVERIFY(v);
        QList<QImage> steps{shown()};
        // Colour, turn, neighbourhood and zoom: each its own step.
        const QList<QPair<Qt::Key, Qt::KeyboardModifiers>> effects{
            {Qt::Key_N, {}}, {Qt::Key_T, {}}, {Qt::Key_R, Qt::ShiftModifier}, {Qt::Key_Z, {}}, {Qt::Key_Equal, {}}};
        for (const auto &[key, mods] : effects) {
            QTest::keyClick(v, key, mods);
            QVERIFY(idle());
            QVERIFY(shown() != steps.last());
            steps << shown();
        }
        for (int i = steps.size() - 2; i >= 0; --i) {
            QTest::keyClick(v, Qt::Key_F9);
            QCOMPARE(shown(), steps[i]);
        }
        QTest::keyClick(v, Qt::Key_F9);   // nothing before the picture as opened
        QCOMPARE(shown(), steps.first());
        for (int i = 1; i < steps.size(); ++i) {
            QTest::keyClick(v, Qt::Key_F9, Qt::ShiftModifier);
            QCOMPARE(shown(), steps[i]);
        }
    }

    void aSmallBudgetDropsTheOldestStepsButNeverTheOriginal()
    {
        QVERIFY(pattern(64, 48).save(path("small.png")));
        frmMedia *v = open({"small.png"}, 1);
        QVERIFY(v);
        const QImage original = shown();
        const qint64 onePicture = original.sizeInBytes();
        v->session()->setUndoBudget(onePicture * 3 / 2);   // room for one step
        QList<QImage> steps;
        for (Qt::Key key : {Qt::Key_N, Qt::Key_H, Qt::Key_V, Qt::Key_N}) {
            QTest::keyClick(v, key);
            QVERIFY(idle());
            steps << shown();
        }
        QTest::keyClick(v, Qt::Key_F9);
        QCOMPARE(shown(), steps[2]);   // the one step kept
        QTest::keyClick(v, Qt::Key_F9);
        QCOMPARE(shown(), original);   // the older ones went, the original stays
        QTest::keyClick(v, Qt::Key_F9, Qt::ShiftModifier);
        QCOMPARE(shown(), steps[2]);
    }

    void stepsTakeOnlyWhatTheDecodeBudgetHasFree()
    {
        // Another decode holds nearly all of it: only what is free is used,
        // never waited for, and given back when the steps go.
        PictureLimits::DecodeBudget budget(10000);
        EffectHistory history(budget);
        history.setCap(100000);
        QVERIFY(budget.acquire(7000));
        QImage picture(40, 15, QImage::Format_RGB32);   // 2400 bytes a step
        picture.fill(Qt::red);
        for (int i = 0; i < 4; ++i)
            history.recordBefore({picture.copy(), 0, 0});
        QCOMPARE(history.heldBytes(), 2400);
        QCOMPARE(history.stepsBack(), 2);   // the original and one more
        QCOMPARE(budget.inUse(), 9400);
        history.clear();
        QCOMPARE(budget.inUse(), 7000);
        budget.release(7000);
    }

    void theWheelStepsOneFileANotch()
    {
        QStringList names;
        for (int i = 0; i < 4; ++i) {
            names << QString("w%1.png").arg(i);
            QVERIFY(pattern(30 + i, 20).save(path(names.last())));
        }
        frmMedia *v = open(names, 2);
        QVERIFY(v);
        QVERIFY(QTest::qWaitForWindowExposed(v));
        QVERIFY(xtestkeys::available());
        // A mouse's notch, over the picture.
        const QPoint over = v->picMedia->mapToGlobal(v->picMedia->rect().center());
        xtestkeys::wheel(over.x(), over.y(), true);
        QTRY_COMPARE(m_list.current, 3);
        QTRY_COMPARE(shown().width(), 32);
        xtestkeys::wheel(over.x(), over.y(), false);
        QTRY_COMPARE(m_list.current, 2);
        xtestkeys::wheel(over.x(), over.y(), true);
        QTRY_COMPARE(m_list.current, 3);
        auto wheel = [&](int delta) {
            const QPointF at(10, 10);
            QWheelEvent event(at, v->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(v, &event);
            QVERIFY(idle());
        };
        // A touchpad's small turns add up to one notch.
        for (int i = 0; i < 3; ++i)
            wheel(-30);
        QCOMPARE(m_list.current, 3);
        wheel(-30);
        QCOMPARE(m_list.current, 4);
        QTRY_COMPARE(shown().width(), 33);
    }

    void aRewrittenFileIsShownAgainUnlessChanged()
    {
        QVERIFY(pattern(64, 48).save(path("live.png")));
        frmMedia *v = open({"live.png"}, 1);
        QVERIFY(v);
        // Another program writes a new picture in its place.
        auto rewrite = [&](const QImage &picture) {
            QSaveFile file(path("live.png"));
            return file.open(QIODevice::WriteOnly) && picture.save(&file, "PNG") && file.commit();
        };
        const QImage second = pattern(64, 48, 100);
        QVERIFY(rewrite(second));
        QTRY_COMPARE_WITH_TIMEOUT(shown(), second, 10000);
        QVERIFY(!v->lblChanged->isVisible());
        // Changed here first: the picture stays, a line says why it is old.
        QTest::keyClick(v, Qt::Key_N);
        QVERIFY(idle());
        const QImage inverted = shown();
        QVERIFY(rewrite(pattern(64, 48, 200)));
        QTRY_VERIFY_WITH_TIMEOUT(v->lblChanged->isVisible(), 10000);
        QCOMPARE(v->lblChanged->text(), QString("\"live.png\" has changed on disk"));
        QCOMPARE(shown(), inverted);
        QTest::keyClick(v, Qt::Key_F9);
        QCOMPARE(shown(), second);
    }
};

QTEST_MAIN(TestViewerFileOps)
#include "tst_viewerfileops.moc"
