// What the main window writes for the user: a picture saved from the viewer
// of a file named on the command line, and the options file at exit.
#include "AppState.h"
#include "PictureBox.h"
#include "ReadOnlyFolder.h"
#include "SettingsStore.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>
#include "../info/WhenModal.h"

namespace {
bool put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray get(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestMainFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void commandLinePictureIsSavedBesideItself()
    {
        // glintwave FILE, then X: the picture's own folder, as the batch mode.
        const QString pictures = dir.filePath("pictures");
        QVERIFY(QDir().mkpath(pictures));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(10, 200, 30));
        QVERIFY(image.save(pictures + "/holiday.bmp"));
        QVERIFY(QDir::setCurrent(dir.path()));   // not the picture's folder

        BoxWatch boxes;
        frmMain w(std::make_shared<SettingsStore>(dir.filePath("cmd.ini")));
        w.state().CommandLine = pictures + "/holiday.bmp";
        w.loadOptionsOnly();
        w.ShowMedia();
        frmMedia *v = w.viewer(false);
        QVERIFY(v && v->isVisible());
        QTRY_COMPARE(v->picMedia->picture().size(), QSize(40, 30));
        QTest::keyClick(v, Qt::Key_X);
        QTRY_VERIFY2(QFileInfo::exists(pictures + "/gw001.bmp"), qPrintable(boxes.texts.join('\n')));
        QCOMPARE(QImage(pictures + "/gw001.bmp").convertToFormat(QImage::Format_RGB32), image);
        QTest::keyClick(v, Qt::Key_X);
        QTRY_VERIFY(QFileInfo::exists(pictures + "/gw002.bmp"));
        QVERIFY(boxes.texts.isEmpty());
        QVERIFY(!QFileInfo::exists(dir.filePath("gw001.bmp")));
        v->close();
    }

    void optionsThatCannotBeWrittenAreReported()
    {
        // The options folder became read-only during the run: closing says
        // so, with the reason, before the program ends; the old file stays.
        const QString folder = dir.filePath("config");
        QVERIFY(QDir().mkpath(folder));
        const QString ini = folder + "/Glintwave.ini";
        QVERIFY(put(ini, "[Settings]\nThumbSize=64\n"));
        auto w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(ini));
        w->Form_Load();
        w->show();
        QCOMPARE(w->options().ThumbSize, 64);
        w->options().ThumbSize = 80;
        {
            ReadOnlyFolder readOnly(folder);
            if (!readOnly.ok())
                QSKIP("no way to make a folder read-only here");
            BoxWatch boxes;
            w->close();
            QCOMPARE(boxes.texts.size(), 1);
            QVERIFY2(boxes.texts.first().contains(": The options could not be saved."), qPrintable(boxes.texts.first()));
            QVERIFY2(boxes.texts.first().contains(ini), qPrintable(boxes.texts.first()));
        }
        QCOMPARE(get(ini), QByteArray("[Settings]\nThumbSize=64\n"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"Glintwave.ini"});
    }

    void cleanupTestCase() { QDir::setCurrent(QDir::tempPath()); }
};

QTEST_MAIN(TestMainFiles)
#include "tst_mainfiles.moc"
