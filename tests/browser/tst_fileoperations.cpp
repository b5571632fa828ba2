// Trash and undo, rename, copy and move on real files and a real Trash (the
// test's own XDG_DATA_HOME): no byte and no time lost, nothing replaced.
#include "browser/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using testfiles::writeFile;
QByteArray read(const QString &path) { return QFileInfo::exists(path) ? testfiles::readAll(path) : "(missing)"; }
qint64 mtimeNs(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec : -1;
}
// A file with a time of its own, as a photo from a camera has.
QString photo(const QString &path, const QByteArray &bytes)
{
    if (!writeFile(path, bytes))
        return {};
    const timespec times[2] = {{1000000000, 123456789}, {1000000000, 123456789}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
    return path;
}
} // namespace

class TestFileOperations : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString at(const QString &name) const { return dir.filePath(name); }

private slots:
    void initTestCase()
    {
        // The Trash of this test alone.
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
        QVERIFY(QDir().mkpath(dir.filePath("data")));
    }

    void trashAndUndoGiveBackTheSameFile()
    {
        const QByteArray bytes("\xff\xd8 a photo \x00\x01", 14);
        const QString path = photo(at("holiday.jpg"), bytes);
        const qint64 when = mtimeNs(path);
        fileops::Trashed record;
        const fileops::Outcome out = fileops::moveToTrash(path, &record);
        QVERIFY2(out.ok, qPrintable(out.error));
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(record.inTrash.startsWith(dir.filePath("data/Trash/files/")));
        const QString info = dir.filePath("data/Trash/info/" + QFileInfo(record.inTrash).fileName() + ".trashinfo");
        QVERIFY(read(info).contains("Path="));

        const fileops::Outcome back = fileops::restoreFromTrash(record);
        QVERIFY2(back.ok, qPrintable(back.error));
        QCOMPARE(read(path), bytes);
        QCOMPARE(mtimeNs(path), when);
        QVERIFY(!QFileInfo::exists(record.inTrash) && !QFileInfo::exists(info));

        // Put back over a file that took its name meanwhile: refused, both kept.
        QVERIFY(fileops::moveToTrash(path, &record).ok);
        QVERIFY(writeFile(path, "newcomer"));
        const fileops::Outcome refused = fileops::restoreFromTrash(record);
        QVERIFY(!refused.ok);
        QCOMPARE(refused.error, QString("\"holiday.jpg\" cannot be put back: a file of that name is there now"));
        QCOMPARE(read(path), QByteArray("newcomer"));
        QCOMPARE(read(record.inTrash), bytes);
    }

    void aFileThatCannotBeTrashedStays()
    {
        // A folder the user may read but not change. Root may change any
        // folder, so as root the attempt is made by a child that is nobody.
        const QString locked = at("locked");
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(writeFile(locked + "/keep.jpg", "keep"));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther | QFile::ReadOther));
        int pipeFds[2];
        QCOMPARE(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            fileops::Trashed record;
            const QByteArray error = fileops::moveToTrash(locked + "/keep.jpg", &record).error.toUtf8();
            ::write(pipeFds[1], error.constData(), size_t(error.size()));
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        QFile answer;
        QVERIFY(answer.open(pipeFds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        const QString error = QString::fromUtf8(answer.readAll());
        int status = 0;
        ::waitpid(child, &status, 0);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY2(error.startsWith("\"keep.jpg\" cannot be moved to the Trash: "), qPrintable(error));
        QCOMPARE(read(locked + "/keep.jpg"), QByteArray("keep"));
    }

    void renameRefusesWhatCannotBeAName()
    {
        QVERIFY(writeFile(at("a.jpg"), "a") && writeFile(at("b.jpg"), "b"));
        QCOMPARE(fileops::renameFile(dir.path(), "a.jpg", "").error, QString("A file name cannot be empty."));
        QCOMPARE(fileops::renameFile(dir.path(), "a.jpg", "x/y.jpg").error, QString("A file name cannot contain \"/\"."));
        QCOMPARE(fileops::renameFile(dir.path(), "a.jpg", "..").error, QString("\"..\" cannot be a file name."));
        QCOMPARE(fileops::renameFile(dir.path(), "a.jpg", "b.jpg").error, QString("\"b.jpg\" already exists."));
        QCOMPARE(read(at("b.jpg")), QByteArray("b"));
        const fileops::Outcome ok = fileops::renameFile(dir.path(), "a.jpg", "c.jpg");
        QVERIFY(ok.ok && ok.path == at("c.jpg"));
        QCOMPARE(read(at("c.jpg")), QByteArray("a"));
        QVERIFY(!QFileInfo::exists(at("a.jpg")));
    }

    void copyAndMoveNeverReplace()
    {
        const QString from = at("from"), to = at("to");
        QVERIFY(QDir().mkpath(from) && QDir().mkpath(to));
        const QString original = photo(from + "/sun.jpg", QByteArray(3 << 20, 'S'));   // more than one chunk
        QVERIFY(writeFile(to + "/sun.jpg", "theirs") && writeFile(to + "/sun (2).jpg", "theirs too"));
        qint64 lastDone = 0;
        const fileops::Outcome copy = fileops::copyInto(original, to, [&](qint64 done, qint64) {
            lastDone = done;
            return true;
        });
        QVERIFY2(copy.ok, qPrintable(copy.error));
        QCOMPARE(copy.path, to + "/sun (3).jpg");
        QCOMPARE(lastDone, qint64(3 << 20));
        QCOMPARE(read(copy.path), read(original));
        QCOMPARE(mtimeNs(copy.path), mtimeNs(original));
        QCOMPARE(read(to + "/sun.jpg"), QByteArray("theirs"));

        const fileops::Outcome move = fileops::moveInto(original, to);
        QVERIFY2(move.ok, qPrintable(move.error));
        QCOMPARE(move.path, to + "/sun (4).jpg");
        QVERIFY(!QFileInfo::exists(original));
        QCOMPARE(read(to + "/sun (2).jpg"), QByteArray("theirs too"));
        QCOMPARE(fileops::numberedName(".hidden", 1), QString(".hidden (2)"));
        QCOMPARE(fileops::numberedName("archive.tar.gz", 2), QString("archive.tar (3).gz"));
    }

    void aCancelledCopyLeavesNothing()
    {
        const QString to = at("cancel");
        QVERIFY(QDir().mkpath(to));
        const QString big = photo(at("big.bin"), QByteArray(4 << 20, 'B'));
        const fileops::Outcome out = fileops::copyInto(big, to, [](qint64 done, qint64) { return done < (2 << 20); });
        QVERIFY(!out.ok);
        QVERIFY2(out.error.endsWith(": cancelled"), qPrintable(out.error));
        QCOMPARE(QDir(to).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestFileOperations)
#include "tst_fileoperations.moc"
