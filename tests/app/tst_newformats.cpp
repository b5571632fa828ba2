// Today's formats end to end through the main window: listed with the
// default boxes, clips played to the end of their stream, thumbnailed by
// pixels; files known by their content; the stored Filter text of an older
// Glintwave; a key command on a HEIC picture. (The pictures' decoding on its
// own is tests/viewer/tst_newpictures.)
#include "AppState.h"
#include "FileListModel.h"
#include "MediaPlayerWidget.h"
#include "OptionSet.h"
#include "PictureBox.h"
#include "PlayerTestMedia.h"
#include "SettingsStore.h"
#include "StockIcons.h"
#include "TodaysMedia.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSettings>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

namespace {
bool near(QRgb a, QRgb b, int tolerance = 48)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}
QStringList allNewKinds()
{
    return todaysmedia::pictureKinds() + todaysmedia::audioKinds() + todaysmedia::videoKinds();
}
} // namespace

class TestNewFormats : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString media;     // one file of every new kind, a few old ones, two without extension
    QString ini;
    std::unique_ptr<frmMain> w;

    void closeViewer()
    {
        if (frmMedia *v = w->viewer(false))
            v->close();
        QCoreApplication::processEvents();
    }
    frmMedia *open(const QString &name)
    {
        const int row = w->listModel()->names().indexOf(name);
        if (row < 0)
            return nullptr;
        w->selectEntry(row + 1);
        w->ShowMedia();
        frmMedia *v = w->viewer(false);
        if (v)
            v->waitForPicture();   // decoded on a worker
        return v;
    }
    // The centre of the shown picture's left and right quarters.
    QRgb shownAt(double fx)
    {
        const QImage shown = w->viewer(false)->picMedia->picture();
        return shown.pixel(int(shown.width() * fx), shown.height() / 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        media = dir.filePath("media");
        QVERIFY(QDir().mkpath(media));
        ini = dir.filePath("s.ini");
        QString error;
        for (const QString &kind : allNewKinds())
            QVERIFY2(!todaysmedia::make(media, kind, &error, "new").isEmpty(), qPrintable(error));
        QVERIFY(QFile::copy(media + "/new.png", media + "/snapshot"));
        QFile notes(media + "/notes");
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("a real text file\nwithout an extension\n");
        notes.close();
        QImage old(64, 48, QImage::Format_RGB32);
        old.fill(Qt::green);
        QVERIFY(old.save(media + "/old.jpg"));
        QVERIFY(old.save(media + "/old.bmp"));
        w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(ini));
        w->Form_Load();
        w->show();
        w->goToFolder(media);
    }

    // A first start: the new boxes are ticked and list every new kind.
    void defaultBoxesListEveryNewKind()
    {
        QStringList expected;
        for (const QString &kind : allNewKinds())
            expected << "new." + kind;
        expected << "old.bmp" << "old.jpg";
        expected.sort(Qt::CaseInsensitive);
        QStringList listed = w->listModel()->names();
        listed.sort(Qt::CaseInsensitive);
        QCOMPARE(listed, expected);
        // "All Files" greys the new boxes too.
        // Unticking the picture box drops exactly its kinds.
        w->chkFilter[16]->setChecked(false);
        w->chkFilter_Click(16);
        QCOMPARE(w->listModel()->rowCount(), expected.size() - todaysmedia::pictureKinds().size());
        w->chkFilter[16]->setChecked(true);
        w->chkFilter_Click(16);
    }

    // Outside a slide show the viewer closes when a clip ends: the clip
    // played through to the end of its stream.
    void clipsPlayToTheirEnd_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("video");
        for (const QString &kind : todaysmedia::audioKinds())
            QTest::newRow(qPrintable(kind)) << kind << false;
        for (const QString &kind : todaysmedia::videoKinds())
            QTest::newRow(qPrintable(kind)) << kind << true;
    }
    void clipsPlayToTheirEnd()
    {
        QFETCH(QString, kind);
        QFETCH(bool, video);
        QPointer<frmMedia> v = open("new." + kind);
        QVERIFY(v && v->isVisible());
        QVERIFY(v->mdpMedia && v->mdpMedia->isVisible());
        QCOMPARE(v->lblWave->isVisible(), !video);
        QSignalSpy ended(v->mdpMedia, &MediaPlayerWidget::endOfStream);
        QVERIFY2(ended.wait(20000), qPrintable(v->mdpMedia->errorText()));
        QVERIFY(v->mdpMedia->errorText().isEmpty());
        QTRY_VERIFY(v.isNull());
    }

    // Known by content: a PNG without an extension is a picture, a text file
    // without one is text (with UnknownAsText) or nothing (without it).
    void filesKnownByContent()
    {
        w->chkFilter[0]->setChecked(true);
        w->chkFilter_Click(0);
        frmMedia *v = open("snapshot");
        QVERIFY(v && v->picMedia->isVisible());
        QVERIFY(near(shownAt(0.25), qRgb(255, 0, 0), 0));
        QVERIFY(near(shownAt(0.75), qRgb(0, 0, 255), 0));
        closeViewer();
        // The same file named on the command line.
        w->state().CommandLine = media + "/snapshot";
        w->ShowMedia();
        w->state().CommandLine.clear();
        v = w->viewer(false);
        QVERIFY(v && v->waitForPicture() && v->picMedia->isVisible());
        QCOMPARE(v->picMedia->picture().size(), QSize(64, 48));
        closeViewer();
        w->options().UnknownAsText = true;
        v = open("notes");
        QVERIFY(v && v->lstMedia->isVisible() && !v->picMedia->isVisible());
        QCOMPARE(v->lstMediaModel->stringList().mid(2),
                 QStringList({"a real text file", "without an extension"}));
        closeViewer();
        w->options().UnknownAsText = false;
        QVERIFY(!open("notes"));
    }

    // Thumbnails: every picture kind by its pixels, audio and video by their
    // stock pictures, and the extensionless files by what they hold.
    void thumbnailsOfEveryKind()
    {
        w->options().ThumbSize = 40;
        w->mnuThumbs_Click();
        const int files = allNewKinds().size() + 4;
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), files, 20000);
        auto pictureOf = [this](const QString &name) {
            const int row = w->listModel()->names().indexOf(name);
            return w->listModel()->data(w->listModel()->index(row), Qt::DecorationRole).value<QPixmap>().toImage()
                .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        for (const QString &kind : todaysmedia::pictureKinds() + QStringList{"snapshot"}) {
            const QImage t = pictureOf(kind == "snapshot" ? kind : "new." + kind);
            QCOMPARE(t.size(), QSize(40, 40));
            QVERIFY2(near(t.pixel(5, 20), qRgb(255, 0, 0)), qPrintable(kind));
            QVERIFY2(near(t.pixel(35, 20), qRgb(0, 0, 255)), qPrintable(kind));
        }
        const QImage audio = StockIcons::icon(3, 40), video = StockIcons::icon(2, 40);
        for (const QString &kind : todaysmedia::audioKinds())
            QVERIFY2(pictureOf("new." + kind) == audio, qPrintable(kind));
        for (const QString &kind : todaysmedia::videoKinds())
            QVERIFY2(pictureOf("new." + kind) == video, qPrintable(kind));
        QVERIFY(pictureOf("notes") == StockIcons::icon(1, 40));
        w->mnuList_Click();
        w->chkFilter[0]->setChecked(false);
        w->chkFilter_Click(0);
    }

    // A key command works on a HEIC picture as on any other: N inverts it.
    void keyCommandOnHeic()
    {
        frmMedia *v = open("new.heic");
        QVERIFY(v);
        const QRgb before = shownAt(0.25);
        QTest::keyClick(v, Qt::Key_N);
        QTRY_VERIFY(shownAt(0.25) != before);
        QVERIFY(near(shownAt(0.25), qRgb(0, 255, 255)));
        closeViewer();
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
            raw.setValue("Settings/Path", media);
        }
        w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(ini));
        w->Form_Load();
        for (int i = 0; i < 16; ++i)
            QCOMPARE(w->chkFilter[i]->isChecked(), i == 6 || i == 15);
        for (int box : {16, 17, 18})
            QVERIFY(w->chkFilter[box]->isChecked());
        QVERIFY(w->lstPics.pattern().startsWith("*.BMP;*.WMF;*.PNG;"));
        QVERIFY(w->listModel()->names().contains("old.bmp"));
        QVERIFY(!w->listModel()->names().contains("old.jpg"));
        w->chkFilter[17]->setChecked(false);
        w->close();
        QSettings raw(ini, QSettings::IniFormat);
        QCOMPARE(raw.value("Settings/Filter").toString(), QString("0000001000000001101"));
    }

    void cleanupTestCase()
    {
        if (w)
            closeViewer();
        w.reset();
    }
};

GW_PLAYER_TEST_MAIN(TestNewFormats)
#include "tst_newformats.moc"
