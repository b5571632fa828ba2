#include "info/FileSnatch.h"
#include "core/ProgramFolder.h"
#include "info/ui/SnatchCommand.h"

#include "TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

static QByteArray bytes(int size, char seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char(seed + i * 7 + (i >> 9));
    return b;
}

namespace {
using namespace testfiles;
const mode_t userMask = 027;
} // namespace

class TestSnatch : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_src = m_dir.filePath(QString("src-") + QTest::currentTestFunction());
        m_dst = m_dir.filePath(QString("dst-") + QTest::currentTestFunction());
        QVERIFY(QDir().mkpath(m_src) && QDir().mkpath(m_dst));
    }

    void copiesAndReplaces()
    {
        const QByteArray clip = bytes(3 * 1024 * 1024 + 17, 'a');   // several copy chunks
        QVERIFY(writeFile(m_src + "/clip.avi", clip));
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-30);
        QFile source(m_src + "/clip.avi");
        QVERIFY(source.open(QIODevice::Append) && source.setFileTime(stamp, QFileDevice::FileModificationTime));
        source.close();

        const SnatchResult r = snatchFile(m_src + "/", "clip.avi", m_dst);
        QVERIFY(r.ok());
        QCOMPARE(r.source, m_src + "/clip.avi");   // one separator after a folder ending in one
        QCOMPARE(readAll(m_dst + "/clip.avi"), clip);
        QCOMPARE(QFileInfo(m_dst + "/clip.avi").lastModified().toSecsSinceEpoch(), stamp.toSecsSinceEpoch());

        // A longer, read-only file of that name is replaced whole.
        QVERIFY(writeFile(m_dst + "/pic.jpg", bytes(500000, 'x')));
        QVERIFY(QFile::setPermissions(m_dst + "/pic.jpg", QFileDevice::ReadOwner));
        QVERIFY(writeFile(m_src + "/pic.jpg", "short"));
        QVERIFY(snatchFile(m_src, "pic.jpg", m_dst).ok());
        QCOMPARE(readAll(m_dst + "/pic.jpg"), QByteArray("short"));
        QCOMPARE(QDir(m_dst).entryList(QDir::Files | QDir::Hidden), QStringList({"clip.avi", "pic.jpg"}));
    }

    void refusals()
    {
        QVERIFY(writeFile(m_src + "/a.bmp", "picture"));
        QVERIFY(writeFile(m_dir.filePath("plainfile"), "not a folder"));
        QVERIFY(QFile::link(m_src, m_dir.filePath("alias")));
        const QList<QPair<SnatchResult, SnatchStatus>> cases = {
            {snatchFile(m_src, "", m_dst), SnatchStatus::NothingSelected},
            {snatchFile(m_src, "gone.gif", m_dst), SnatchStatus::SourceMissing},
            {snatchFile(m_src, "../plainfile", m_dst), SnatchStatus::BadName},
            // Browsing the destination itself, or the same folder by another path.
            {snatchFile(m_dir.filePath("alias"), "a.bmp", m_src), SnatchStatus::SameFile},
            // Root is not stopped by permission bits: use a destination no one can write.
            {snatchFile(m_src, "a.bmp", m_dir.filePath("no/such")), SnatchStatus::WriteFailed},
        };
        for (const auto &c : cases)
            QCOMPARE(c.first.status, c.second);
        QVERIFY(QDir(m_dst).isEmpty());

        // A folder of that name in the destination stays a folder.
        QVERIFY(writeFile(m_src + "/b.png", "png") && QDir().mkpath(m_dst + "/b.png/inside"));
        QCOMPARE(snatchFile(m_src, "b.png", m_dst).status, SnatchStatus::WriteFailed);
        QVERIFY(QFileInfo(m_dst + "/b.png/inside").isDir());
    }

    void fullDiskKeepsTheOldCopy()
    {
        // A file size limit makes writes fail past 64 KB, as a full disk would.
        const QByteArray old = bytes(1000, 'o');
        QVERIFY(writeFile(m_dst + "/big.wav", old));
        QVERIFY(writeFile(m_src + "/big.wav", bytes(2 * 1024 * 1024, 'n')));
        struct rlimit saved, small;
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        small = saved;
        small.rlim_cur = 64 * 1024;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const SnatchResult r = snatchFile(m_src, "big.wav", m_dst);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        QCOMPARE(r.status, SnatchStatus::WriteFailed);
        QCOMPARE(readAll(m_dst + "/big.wav"), old);
        QCOMPARE(QDir(m_dst).entryList(QDir::Files | QDir::Hidden), QStringList{"big.wav"});
    }

    void latin1NameCopiedAsItIs()
    {
        // A name that is not valid UTF-8 has no text that reaches it: the copy
        // goes by its bytes, and lands under the same bytes.
        const QByteArray name = "caf\xe9.jpg";
        const QByteArray from = QFile::encodeName(m_src) + '/' + name;
        const QByteArray to = QFile::encodeName(m_dst) + '/' + name;
        FILE *f = fopen(from.constData(), "w");
        QVERIFY(f);
        fputs("latin", f);
        fclose(f);
        QVERIFY(snatchFileBytes(m_src, name, m_dst).ok());
        // All five bytes under that name, and no temporary file left (QDir
        // cannot see this name; readdir can).
        struct stat st;
        QVERIFY(::stat(to.constData(), &st) == 0 && st.st_size == 5);
        QList<QByteArray> entries;
        DIR *dir = opendir(QFile::encodeName(m_dst).constData());
        QVERIFY(dir);
        while (dirent *e = readdir(dir))
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
                entries << e->d_name;
        closedir(dir);
        QCOMPARE(entries, QList<QByteArray>{name});
        ::unlink(from.constData()); // QTemporaryDir cannot remove them by name
        ::unlink(to.constData());
    }

    // Where the copies land: the user's data folder, never the program's.
    void snatchingTheProgramsNamesLeavesTheProgramAlone()
    {
        // A file named like this executable, snatched as a user would: the
        // copy goes to the data folder, made on first use whatever the
        // program's folder allows; the program's folder is untouched.
        const QString data = m_dir.filePath("data");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        const QString exe = QCoreApplication::applicationFilePath();
        const QString exeName = QFileInfo(exe).fileName();
        const QString exeDir = QCoreApplication::applicationDirPath();
        const QStringList before = QDir(exeDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QByteArray program = readAll(exe);
        QVERIFY(writeFile(m_src + "/" + exeName, "#!/bin/sh\necho not the program\n"));
        std::optional<SnatchResult> done;
        runSnatch(nullptr, m_src, exeName.toUtf8(), programFolder(), [&](const SnatchResult &r) { done = r; });
        QTRY_VERIFY(done && done->ok());
        QCOMPARE(done->destination, data + "/Glintwave/" + exeName);
        QCOMPARE(readAll(done->destination), readAll(m_src + "/" + exeName));
        QVERIFY2(readAll(exe) == program, "the program was replaced");
        QCOMPARE(QDir(exeDir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    }

    void copiesFollowTheUmask()
    {
        // The source's permissions, less the user's umask, as a desktop copy does.
        QVERIFY(writeFile(m_src + "/shared.jpg", "jpeg"));
        QVERIFY(writeFile(m_src + "/tool.sh", "#!/bin/sh\n"));
        QCOMPARE(::chmod(QFile::encodeName(m_src + "/shared.jpg").constData(), 0666), 0);
        QCOMPARE(::chmod(QFile::encodeName(m_src + "/tool.sh").constData(), 0775), 0);
        QVERIFY(snatchFile(m_src, "shared.jpg", m_dst).ok());
        QVERIFY(snatchFile(m_src, "tool.sh", m_dst).ok());
        QCOMPARE(modeOf(m_dst + "/shared.jpg"), mode_t(0666 & ~userMask));
        QCOMPARE(modeOf(m_dst + "/tool.sh"), mode_t(0775 & ~userMask));
    }

private:
    QTemporaryDir m_dir;
    QString m_src, m_dst;
};

int main(int argc, char **argv)
{
    ::umask(userMask);   // a known umask before anything is written
    QApplication app(argc, argv);
    TestSnatch test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_snatch.moc"
