#include "FileSnatch.h"
#include "SnatchCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QByteArray pattern(int size, char seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 7 + (i >> 9));
    return b;
}

} // namespace

class TestSnatch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void copiesAndReplaces();
    void sourceFolderWithTrailingSeparator();
    void refusesTheSameFile();
    void refusesMissingOrUnsafeNames();
    void unwritableDestination();
    void fullDiskKeepsTheOldCopy();
    void commandReportsFailureOnly();

private:
    QTemporaryDir m_dir;
    QString m_src, m_dst;
};

void TestSnatch::init()
{
    QVERIFY(m_dir.isValid());
    m_src = m_dir.filePath(QString("src%1").arg(QTest::currentTestFunction()));
    m_dst = m_dir.filePath(QString("dst%1").arg(QTest::currentTestFunction()));
    QVERIFY(QDir().mkpath(m_src));
    QVERIFY(QDir().mkpath(m_dst));
}

void TestSnatch::copiesAndReplaces()
{
    const QByteArray data = pattern(3 * 1024 * 1024 + 17, 'a');   // several copy chunks
    QVERIFY(writeFile(m_src + "/clip.avi", data));
    const QDateTime stamp = QDateTime::currentDateTime().addDays(-30);
    {
        QFile f(m_src + "/clip.avi");
        QVERIFY(f.open(QIODevice::Append));
        QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
    }

    SnatchResult r = snatchFile(m_src, "clip.avi", m_dst);
    QVERIFY(r.ok());
    QCOMPARE(r.destination, m_dst + "/clip.avi");
    QCOMPARE(readFile(m_dst + "/clip.avi"), data);
    QCOMPARE(QFileInfo(m_dst + "/clip.avi").lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());

    // A longer file of the same name is replaced whole, not overwritten in place.
    QVERIFY(writeFile(m_dst + "/pic.jpg", pattern(500000, 'x')));
    QVERIFY(writeFile(m_src + "/pic.jpg", "short"));
    r = snatchFile(m_src, "pic.jpg", m_dst);
    QVERIFY(r.ok());
    QCOMPARE(readFile(m_dst + "/pic.jpg"), QByteArray("short"));

    // Even a read-only file of that name is replaced.
    QVERIFY(QFile::setPermissions(m_dst + "/pic.jpg", QFileDevice::ReadOwner));
    QVERIFY(writeFile(m_src + "/pic.jpg", "newer"));
    QVERIFY(snatchFile(m_src, "pic.jpg", m_dst).ok());
    QCOMPARE(readFile(m_dst + "/pic.jpg"), QByteArray("newer"));

    // The asynchronous form copies the same way.
    QVERIFY(writeFile(m_src + "/song.mp3", "tune"));
    QFuture<SnatchResult> f = snatchFileAsync(m_src, "song.mp3", m_dst);
    f.waitForFinished();
    QVERIFY(f.result().ok());
    QCOMPARE(readFile(m_dst + "/song.mp3"), QByteArray("tune"));

    // Nothing but the copies is left in the destination.
    QCOMPARE(QDir(m_dst).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void TestSnatch::sourceFolderWithTrailingSeparator()
{
    QVERIFY(writeFile(m_src + "/a.txt", "x"));
    const SnatchResult r = snatchFile(m_src + "/", "a.txt", m_dst);
    QVERIFY(r.ok());
    QCOMPARE(r.source, m_src + "/a.txt");
}

void TestSnatch::refusesTheSameFile()
{
    QVERIFY(writeFile(m_src + "/a.bmp", "picture"));
    // Browsing the destination folder itself.
    QCOMPARE(snatchFile(m_src, "a.bmp", m_src).status, SnatchStatus::SameFile);
    // The same folder by another path.
    QVERIFY(QFile::link(m_src, m_dir.filePath("alias")));
    QCOMPARE(snatchFile(m_dir.filePath("alias"), "a.bmp", m_src).status, SnatchStatus::SameFile);
    // A hard link of the file in the destination.
    QCOMPARE(::link(QFile::encodeName(m_src + "/a.bmp").constData(),
                    QFile::encodeName(m_dst + "/a.bmp").constData()), 0);
    QCOMPARE(snatchFile(m_src, "a.bmp", m_dst).status, SnatchStatus::SameFile);
    QCOMPARE(readFile(m_src + "/a.bmp"), QByteArray("picture"));
}

void TestSnatch::refusesMissingOrUnsafeNames()
{
    QVERIFY(writeFile(m_dir.filePath("outside.txt"), "secret"));
    QVERIFY(QDir().mkpath(m_src + "/sub"));
    QCOMPARE(snatchFile(m_src, "", m_dst).status, SnatchStatus::NothingSelected);
    QCOMPARE(snatchFile(m_src, "nothere.gif", m_dst).status, SnatchStatus::SourceMissing);
    QCOMPARE(snatchFile(m_src, "sub", m_dst).status, SnatchStatus::SourceMissing);
    QCOMPARE(snatchFile(m_src, "../outside.txt", m_dst).status, SnatchStatus::BadName);
    QCOMPARE(snatchFile(m_src, "..", m_dst).status, SnatchStatus::BadName);
    QVERIFY(QDir(m_dst).isEmpty());
}

void TestSnatch::unwritableDestination()
{
    // Permission bits do not stop root, so make destinations no one can write.
    QVERIFY(writeFile(m_src + "/a.png", "png"));
    QVERIFY(writeFile(m_dir.filePath("plainfile"), "not a folder"));
    QCOMPARE(snatchFile(m_src, "a.png", m_dir.filePath("plainfile")).status, SnatchStatus::WriteFailed);
    QCOMPARE(snatchFile(m_src, "a.png", m_dir.filePath("no/such/folder")).status, SnatchStatus::WriteFailed);

    // A folder of that name in the destination stays a folder.
    QVERIFY(QDir().mkpath(m_dst + "/a.png/inside"));
    QCOMPARE(snatchFile(m_src, "a.png", m_dst).status, SnatchStatus::WriteFailed);
    QVERIFY(QFileInfo(m_dst + "/a.png/inside").isDir());
    QCOMPARE(QDir(m_dst).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"a.png"});
}

void TestSnatch::fullDiskKeepsTheOldCopy()
{
    // A file size limit makes writes fail past 64 KB, as a full disk would.
    const QByteArray old = pattern(1000, 'o');
    QVERIFY(writeFile(m_dst + "/big.wav", old));
    QVERIFY(writeFile(m_src + "/big.wav", pattern(2 * 1024 * 1024, 'n')));

    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const SnatchResult r = snatchFile(m_src, "big.wav", m_dst);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(r.status, SnatchStatus::WriteFailed);
    QCOMPARE(readFile(m_dst + "/big.wav"), old);
    QCOMPARE(QDir(m_dst).entryList(QDir::Files | QDir::Hidden), QStringList{"big.wav"});
}

void TestSnatch::commandReportsFailureOnly()
{
    QVERIFY(writeFile(m_src + "/ok.txt", "fine"));
    QString text, title;
    int boxes = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++boxes;
            text = box->text();
            title = box->windowTitle();
            box->accept();
        }
    });
    poll.start(10);

    std::optional<SnatchResult> done;
    runSnatch(nullptr, m_src, "ok.txt", m_dst, [&](const SnatchResult &r) { done = r; });
    QTRY_VERIFY(done.has_value());
    QVERIFY(done->ok());
    QCOMPARE(boxes, 0);
    QVERIFY(!QApplication::overrideCursor());

    done.reset();
    runSnatch(nullptr, m_src, "ok.txt", m_src, [&](const SnatchResult &r) { done = r; });
    QTRY_VERIFY(done.has_value());
    QCOMPARE(done->status, SnatchStatus::SameFile);
    QCOMPARE(boxes, 1);
    QCOMPARE(text, QString("Cannot copy file!"));
    QCOMPARE(title, QString("Error"));
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestSnatch)
#include "tst_snatch.moc"
