// The Thumbnails view fills while its build runs, however the folder was
// reached, and the Detailed view shows its names at once and its details as
// they are read.
#include "app/frmMain.h"
#include "browser/DetailModel.h"
#include "browser/FileListModel.h"
#include "browser/ui/frmFileRead.h"

#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QtTest>

#include "StartedWindow.h"
#include "TestPictures.h"

#include <algorithm>

namespace {
// A photo-sized picture that takes a while to decode and is unlike its
// neighbours, so no two files share a cached thumbnail.
QImage photo(int seed)
{
    QImage image(2400, 1800, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qRgb((x * 7 + seed) % 256, (y * 3 + x) % 256, (x ^ y ^ seed) % 256);
    }
    return image;
}
} // namespace

class TestThumbnailsArrive : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;
    static constexpr int Count = 41;   // 40 photos and a picture named as text

    // A fresh copy of the pictures under a new name each time: the shared
    // thumbnail cache must not know them yet.
    QString freshFolder(const QString &name, int from = 0)
    {
        const QString folder = dir.filePath(name);
        if (!QDir().mkpath(folder))
            return {};
        for (int i = from; i < Count - 1; ++i)
            if (!QFile::copy(dir.filePath(QStringLiteral("pictures/p%1.png").arg(i, 2, 10, QChar('0'))),
                             folder + QStringLiteral("/p%1.png").arg(i, 2, 10, QChar('0'))))
                return {};
        // Known by its content only, which is looked into on a worker.
        QImage red = testpictures::solid(100, 100, Qt::red);
        return red.save(folder + "/shot.txt", "PNG") ? folder : QString();
    }

    frmThumbwait *progress() const { return w->findChild<frmThumbwait *>(); }

    // Some thumbnails are in the grid and the count has moved on, while the
    // progress window still shows that the build goes on.
    void expectFillsWhileRunning()
    {
        const QString first = frmThumbwait::caption(0, Count);
        auto arrived = [&] {
            return w->listModel()->rowCount() > 0 && progress() && progress()->lblThumbwait->text() != first;
        };
        QTRY_VERIFY_WITH_TIMEOUT(arrived() || w->listModel()->rowCount() == Count, 30000);
        const bool whileRunning = progress()->isVisible() && w->listModel()->rowCount() < Count;
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), Count, 60000);
        QVERIFY2(whileRunning, "the grid stayed blank until the build was done");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(dir.filePath("pictures")));
        for (int i = 0; i < Count - 1; ++i)
            QVERIFY(photo(i).save(dir.filePath(QStringLiteral("pictures/p%1.png").arg(i, 2, 10, QChar('0'))),
                                  "PNG", 90));
        w = startedWindow(dir.filePath("s.ini"));
        w->mnuThumbs_Click();
    }

    void typedAddress()
    {
        const QString folder = freshFolder("typed");
        QVERIFY(!folder.isEmpty());
        QLineEdit *address = w->cboAddress->lineEdit();
        address->setFocus();
        address->selectAll();
        QTest::keyClicks(address, folder);
        QTest::keyClick(address, Qt::Key_Return);
        expectFillsWhileRunning();
        // The picture named as text shows itself, not the text icon.
        FileListModel *model = w->listModel();
        const QImage shot = model->data(model->index(model->names().indexOf("shot.txt")), Qt::DecorationRole)
                                .value<QPixmap>().toImage();
        QCOMPARE(shot.pixel(shot.width() / 2, shot.height() / 2), qRgb(255, 0, 0));
    }

    void doubleClickedFolder()
    {
        const QString folder = freshFolder("clicked");
        QVERIFY(!folder.isEmpty());
        w->goToFolder(dir.path());
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), 0, 60000);   // no pictures up there
        QAbstractItemModel *folders = w->lstDir->model();
        const QModelIndexList found = folders->match(folders->index(0, 0), Qt::DisplayRole, "clicked");
        QCOMPARE(found.size(), 1);
        w->lstDir->scrollTo(found.first());
        QTRY_VERIFY(w->lstDir->viewport()->rect().contains(w->lstDir->visualRect(found.first()).center()));
        const QPoint at = w->lstDir->visualRect(found.first()).center();
        QTest::mouseClick(w->lstDir->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w->lstDir->viewport(), Qt::LeftButton, {}, at);
        expectFillsWhileRunning();
    }

    void startUp()
    {
        const QString folder = freshFolder("started");
        QVERIFY(!folder.isEmpty());
        w->goToFolder(folder);
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), Count, 60000);
        w->close();
        w.reset();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(freshFolder("started") == folder);   // same place, new files: not cached
        w = startedWindow(dir.filePath("s.ini"));
        QCOMPARE(w->currentFolder(), folder);
        expectFillsWhileRunning();
    }

    // A folder seen before, with large thumbnails: its first photo has been
    // edited since and the rest are new. Looking up the stale thumbnail
    // takes longer than missing the new ones; the first photo must still
    // come first, not after all the others.
    void folderSeenBeforeWithNewPhotos()
    {
        const int thumbSize = w->options().ThumbSize;
        w->options().ThumbSize = 600;   // thumbnails of 1024 pixels in the shared cache
        w->mnuThumbs_Click();
        const QString folder = dir.filePath("seen");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::copy(dir.filePath("pictures/p00.png"), folder + "/p00.png"));
        w->goToFolder(folder);
        QTRY_COMPARE_WITH_TIMEOUT(w->listModel()->rowCount(), 1, 30000);
        w->goToFolder(dir.path());
        QVERIFY(freshFolder("seen", 1) == folder);
        QFile edited(folder + "/p00.png");
        QVERIFY(edited.open(QIODevice::ReadWrite));
        QVERIFY(edited.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        edited.close();
        w->goToFolder(folder);
        expectFillsWhileRunning();
        w->options().ThumbSize = thumbSize;
        w->mnuThumbs_Click();
    }

    // The Detailed view: every name at once, each size as it is read.
    void detailedViewNamesAtOnce()
    {
        w->mnuDetail_Click();
        const QString folder = freshFolder("detailed");
        w->goToFolder(folder);
        // Nothing has been read on the window's thread.
        QCOMPARE(w->detailModel()->dataRowCount(), Count);
        for (const DetailRow &row : w->detailModel()->rows())
            QVERIFY2(row.size.isEmpty() && row.type.isEmpty(), qPrintable(row.name));
        QTRY_VERIFY(std::all_of(w->detailModel()->rows().begin(), w->detailModel()->rows().end(),
                                [](const DetailRow &row) { return !row.size.isEmpty(); }));
        for (const DetailRow &row : w->detailModel()->rows()) {
            QCOMPARE(row.bytes, QFileInfo(folder + "/" + row.name).size());
            if (row.name.endsWith(".png"))
                QCOMPARE(row.type, QMimeDatabase().mimeTypeForName("image/png").comment());
        }
    }
};

QTEST_MAIN(TestThumbnailsArrive)
#include "tst_thumbnailsarrive.moc"
