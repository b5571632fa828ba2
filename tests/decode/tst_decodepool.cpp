// Decoding in sandboxed helpers: the same pixels as the loader gives, a
// helper that cannot see the user's files, and a decoder that crashes,
// hangs or eats memory costing one picture and no more.
#include "decode/DecodeProtocol.h"
#include "decode/DecoderPool.h"
#include "decode/HelperLaunch.h"
#include "decode/SharedPixels.h"
#include "viewer/PictureLoader.h"

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QtTest>

#include "TestFiles.h"
#include "TodaysMedia.h"

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The helper process below a launcher (bubblewrap starts it as its child).
int helperBelow(int pid)
{
    for (int depth = 0; depth < 4 && pid > 0; ++depth) {
        const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
        if (exe.endsWith("glintwave-decode") || exe.endsWith("glintwave-decode-faulty"))
            return pid;
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
        if (!children.open(QIODevice::ReadOnly))
            return -1;
        pid = children.readAll().trimmed().split(' ').value(0).toInt();
    }
    return -1;
}

QString namespaceOf(int pid, const char *kind)
{
    char target[128] = {};
    const QByteArray link = QStringLiteral("/proc/%1/ns/%2").arg(pid).arg(kind).toLatin1();
    return ::readlink(link.constData(), target, sizeof target - 1) > 0 ? QString::fromLatin1(target) : QString();
}

QByteArray statusLine(int pid, const QByteArray &name)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

qsizetype openFiles()
{
    return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size();
}

// Hands the file over to the pool open, as the loader does.
DecoderPool::Result decode(DecoderPool &pool, const QString &path, const DecoderPool::SizeRule &rule = {},
                           bool keepAlpha = false)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const DecoderPool::Result r = pool.decode(fd, rule, keepAlpha, Qt::black);
    if (fd >= 0)
        ::close(fd);
    return r;
}
} // namespace

class TestDecodePool : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    bool isolated = false;

    DecoderPool::Options options(const char *helper)
    {
        DecoderPool::Options o;
        o.helper = QString::fromUtf8(helper);
        o.isolated = isolated;
        o.addressSpaceBytes = qint64(1) << 30;
        o.cpuSecondsPerPicture = 2;
        o.answerMs = 20000;
        return o;
    }
    QString write(const QString &name, const QByteArray &bytes)
    {
        return testfiles::writeFile(dir.filePath(name), bytes) ? dir.filePath(name) : QString();
    }
    QString photo(const QString &name, QSize size, const QColorSpace &profile = QColorSpace())
    {
        QImage image(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        image.setColorSpace(profile);
        return image.save(dir.filePath(name), "JPG", 90) ? dir.filePath(name) : QString();
    }

private slots:
    void initTestCase()
    {
        QString why;
        isolated = namespacesAvailable(&why);
        if (!isolated)
            qWarning("decoding without namespaces here: %s", qPrintable(why));
    }

    void decodesAsTheLoaderDoes()
    {
        const QString path = photo("a.jpg", QSize(640, 480));
        DecoderPool pool(options(GW_DECODE_HELPER));
        const auto rule = [](const QSize &s) { return s / 2; };
        const DecoderPool::Result r = decode(pool, path, rule);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.sourceSize, QSize(640, 480));
        const LoadedPicture here = PictureLoader::loadFitted(path, rule);
        QCOMPARE(r.image.convertToFormat(QImage::Format_RGB32), here.image);
        // The warm helper serves the next picture too.
        const int helper = pool.idleHelpers().at(0);
        QVERIFY(!decode(pool, path, {}, true).image.isNull());
        QCOMPARE(pool.idleHelpers(), std::vector<int>{helper});
        // A decoder of ours needs the wanted size twice; the program is asked once.
        QString error;
        const QString heic = todaysmedia::make(dir.path(), "heic", &error);
        QVERIFY2(!heic.isEmpty(), qPrintable(error));
        int asked = 0;
        QVERIFY(!decode(pool, heic, [&](const QSize &s) { ++asked; return s / 2; }).image.isNull());
        QCOMPARE(asked, 1);
        // At their own size, pictures are decoded straight into the memory
        // handed over: a tagged photo (converted beside its decode, on a
        // second thread where the helper's filter allows one), an untagged
        // one and an opaque PNG (through Qt's readers) come out as here.
        const QString plain = photo("plain.jpg", QSize(2400, 1800));   // large enough for pages made ahead
        const QString png = dir.filePath("opaque.png");
        QVERIFY(QImage(plain).save(png, "PNG"));
        for (const QString &path : {photo("tagged.jpg", QSize(1280, 960), QColorSpace::ProPhotoRgb), plain, png}) {
            const DecoderPool::Result own = decode(pool, path);
            QVERIFY2(own.error.isEmpty(), qPrintable(own.error));
            // The pixels only: the answer carries no colour space.
            const QImage there = own.image.convertToFormat(QImage::Format_RGB32),
                         ours = PictureLoader::load(path).image;
            QCOMPARE(there.size(), ours.size());
            QVERIFY2(std::equal(ours.constBits(), ours.constBits() + ours.sizeInBytes(), there.constBits()),
                     qPrintable(path));
        }
    }

    void theHelperSeesNothingOfTheUsers()
    {
        if (!isolated)
            QSKIP("no namespaces on this machine: only the seccomp part can be checked");
        DecoderPool pool(options(GW_FAULTY_HELPER));
        // A file in the user's home, readable here...
        QFile mine(QDir::home().filePath(QStringLiteral(".gw-decode-probe-%1").arg(::getpid())));
        QVERIFY(mine.open(QIODevice::WriteOnly));
        mine.write("mine");
        mine.close();
        const QString probe = write("probe.gwf", "GWFAULT open " + QFile::encodeName(mine.fileName()));
        const DecoderPool::Result r = decode(pool, probe);
        mine.remove();
        // ...is not there for the helper.
        QCOMPARE(r.error, QString("not readable"));
        const int pid = helperBelow(pool.idleHelpers().at(0));
        QVERIFY(pid > 0);
        QCOMPARE(statusLine(pid, "Seccomp"), QByteArray("2"));
        QCOMPARE(statusLine(pid, "NoNewPrivs"), QByteArray("1"));
        for (const char *ns : {"user", "mnt", "pid", "net", "ipc", "uts"}) {
            const QString theirs = namespaceOf(pid, ns);
            const QString ours = namespaceOf(::getpid(), ns);
            QVERIFY2(!theirs.isEmpty() && theirs != ours, ns);
        }
    }

    void theHelperOpensNoNetworkSocket()
    {
        // Refused by the seccomp filter, with or without namespaces.
        DecoderPool pool(options(GW_FAULTY_HELPER));
        QCOMPARE(decode(pool, write("socket.gwf", "GWFAULT socket")).error, QString("refused"));
    }

    void aFaultCostsOnePicture_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("error");
        QTest::newRow("crash") << QByteArray("crash") << "damaged picture (the decoder failed on it)";
        QTest::newRow("hang") << QByteArray("hang") << "the decoder took too long (stopped)";
        QTest::newRow("alloc") << QByteArray("alloc") << "the decoder ran out of memory";
    }
    void aFaultCostsOnePicture()
    {
        QFETCH(QByteArray, fault);
        QFETCH(QString, error);
        // The watchdog waits long: a spinning decoder is ended by its CPU cap.
        DecoderPool::Options o = options(GW_FAULTY_HELPER);
        o.answerMs = 120000;
        DecoderPool pool(o);
        const QString good = photo("good.jpg", QSize(64, 48));
        QVERIFY(!decode(pool, good).image.isNull());
        QElapsedTimer took;
        took.start();
        const DecoderPool::Result r = decode(pool, write("bad.gwf", "GWFAULT " + fault));
        QVERIFY(r.image.isNull());
        QCOMPARE(r.error, error);
        QVERIFY2(took.elapsed() < 60000, "the CPU cap did not end the decoder");
        QVERIFY(pool.idleHelpers().empty());   // that helper is gone
        QCOMPARE(decode(pool, good).image.size(), QSize(64, 48));
    }

    // An answer the program cannot use is refused and costs that helper and
    // no open file; the next picture gets its own answer, not the rest of
    // the last one's.
    void aWrongAnswerCostsOneHelper_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("a file on a message of the wrong kind") << QByteArray("lie");
        QTest::newRow("pixels not sealed, then more") << QByteArray("unsealed");
        // Not waited for: the helper stays up to 15 s after its garbage.
        QTest::newRow("garbage, then silence") << QByteArray("garble");
    }
    void aWrongAnswerCostsOneHelper()
    {
        QFETCH(QByteArray, fault);
        DecoderPool pool(options(GW_FAULTY_HELPER));
        const qsizetype before = openFiles();
        QElapsedTimer took;
        took.start();
        QCOMPARE(decode(pool, write("wrong.gwf", "GWFAULT " + fault)).error, QString("the decoder gave a wrong answer"));
        QVERIFY2(took.elapsed() < 10000, "the program waited for a helper that sent garbage");
        QVERIFY(pool.idleHelpers().empty());
        QCOMPARE(openFiles(), before);
        const DecoderPool::Result next = decode(pool, photo("after-wrong.jpg", QSize(32, 24)));
        QVERIFY2(next.error.isEmpty(), qPrintable(next.error));
        QCOMPARE(next.image.size(), QSize(32, 24));
    }

    void aMessageWithMoreThanItsKindCarriesIsRefused()
    {
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair), 0);
        QVERIFY(decodeprotocol::sendSize(pair[0], QSize(10, 20)));
        const decodeprotocol::Message size = decodeprotocol::receive(pair[1], 5000);
        QVERIFY(size.ok && size.kind == decodeprotocol::Kind::Size);
        QCOMPARE(size.size, QSize(10, 20));
        // The same on the wire (kind, eleven numbers, the error's length),
        // with a third number a size does not have.
        const quint32 wire[13] = {quint32(decodeprotocol::Kind::Size), 10, 20, 1};
        QCOMPARE(::send(pair[0], wire, sizeof wire, 0), ssize_t(sizeof wire));
        QVERIFY(!decodeprotocol::receive(pair[1], 5000).ok);
        ::close(pair[0]);
        ::close(pair[1]);
    }

    // Pixels made in shared memory leave the helper as they are, sealed and
    // not copied; while anything else still holds them they stay.
    void sharedPixelsAreHandedOverSealed()
    {
        for (const QSize size : {QSize(64, 48), QSize(2400, 1800)}) {   // pages made ahead for the second
            SharedPixels shared;
            QImage image = shared.allocate(size, QImage::Format_RGB32);
            QVERIFY(!image.isNull());
            image.fill(qRgb(10, 20, 30));
            image.setPixel(3, 4, qRgb(1, 2, 3));
            const QImage expected = image.copy();
            QImage held = image;
            QCOMPARE(shared.handOver(image), -1);
            QCOMPARE(image.constBits(), held.constBits());
            held = QImage();
            const int fd = shared.handOver(image);
            QVERIFY(fd >= 0);
            QVERIFY(image.isNull());
            QCOMPARE(::fcntl(fd, F_GET_SEALS) & F_SEAL_WRITE, F_SEAL_WRITE);
            const size_t length = size_t(expected.sizeInBytes());
            void *pixels = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
            QVERIFY(pixels != MAP_FAILED);
            QVERIFY(std::memcmp(pixels, expected.constBits(), length) == 0);
            ::munmap(pixels, length);
            ::close(fd);
        }
    }

    void aBlockedDecoderIsEndedByTheWatchdog()
    {
        // No CPU cap ends a decoder that only waits: the watchdog does, and
        // the helper goes whole.
        DecoderPool::Options o = options(GW_FAULTY_HELPER);
        o.answerMs = 1500;
        DecoderPool pool(o);
        QCOMPARE(decode(pool, write("block.gwf", "GWFAULT block")).error, QString("the decoder took too long (stopped)"));
        QCOMPARE(decode(pool, photo("after-block.jpg", QSize(32, 24))).image.size(), QSize(32, 24));
    }

    void aWarmHelperIsReadyAndHoldsNoPipeOfOurs()
    {
        DecoderPool pool(options(GW_DECODE_HELPER));
        pool.warmUp();
        const std::vector<int> warm = pool.idleHelpers();
        QCOMPARE(warm.size(), size_t(1));
        QTRY_VERIFY(helperBelow(warm[0]) > 0);
        // A helper still starting when a short program ends must not keep
        // whoever reads that program's output waiting: no stdin or stdout of ours.
        for (const int pid : {warm[0], helperBelow(warm[0])})
            for (const char *fd : {"0", "1"})
                QCOMPARE(QFile::symLinkTarget(QStringLiteral("/proc/%1/fd/%2").arg(pid).arg(fd)), QString("/dev/null"));
        QCOMPARE(decode(pool, photo("warm.jpg", QSize(64, 48))).image.size(), QSize(64, 48));
        QCOMPARE(pool.idleHelpers(), warm);   // the warm helper did it
    }

    void aHelperEndedWhileStartingLeavesNothingBehind()
    {
        // Bubblewrap starts as two processes; ending the first while the
        // second waits for it used to leave the second waiting for ever.
        DecoderPool::Options o = options(GW_DECODE_HELPER);
        o.addressSpaceBytes += 4096 * 7;   // marks this test's helpers
        // Each start ended at one of three moments: at once, once
        // bubblewrap's second process exists, once the helper itself runs.
        const auto hasChild = [](int pid) {
            QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
            return children.open(QIODevice::ReadOnly) && !children.readAll().trimmed().isEmpty();
        };
        // Watched closely: the second process waits for the first only briefly.
        const auto until = [](const std::function<bool()> &reached) {
            QElapsedTimer t;
            t.start();
            while (!reached() && t.elapsed() < 10000) {
            }
        };
        for (int i = 0; i < 30; ++i) {
            DecoderPool pool(o);
            pool.warmUp();
            const int started = pool.idleHelpers().at(0);
            if (i % 3 == 1)
                until([&] { return hasChild(started); });
            else if (i % 3 == 2)
                until([&] { return helperBelow(started) > 0; });
        }
        const QByteArray mark = QByteArray::number(o.addressSpaceBytes);
        const auto left = [&] {
            int n = 0;
            for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
                QFile cmdline("/proc/" + pid + "/cmdline");
                n += cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(mark);
            }
            return n;
        };
        QTRY_COMPARE(left(), 0);
    }

    void poolsAndProbesLeaveNoFilesOrZombies()
    {
        // Children that ended and were never waited for.
        const auto zombies = [] {
            int n = 0;
            for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
                QFile stat("/proc/" + pid + "/stat");
                if (!stat.open(QIODevice::ReadOnly))
                    continue;
                const QList<QByteArray> f = stat.readAll().split(')').value(1).trimmed().split(' ');
                n += f.value(0) == "Z" && f.value(1).toInt() == int(::getpid());
            }
            return n;
        };
        const qsizetype before = openFiles();
        for (int i = 0; i < 3; ++i) {
            QString why;
            NamespaceProbe().available(&why);
            DecoderPool pool(options(GW_DECODE_HELPER));
            pool.warmUp();
            QVERIFY(!decode(pool, photo("leak.jpg", QSize(16, 16))).image.isNull());
        }
        QCOMPARE(openFiles(), before);
        QCOMPARE(zombies(), 0);
    }

    void aBubblewrapThatCannotSaysWhy()
    {
        // Where the kernel refuses namespaces, bubblewrap says why on its
        // standard error; the user is told that reason.
        QTemporaryDir bin;
        QFile fake(bin.filePath("bwrap"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("#!/bin/sh\necho 'bwrap: No permissions to create new namespace' >&2\nexit 1\n");
        fake.close();
        QVERIFY(fake.setPermissions(fake.permissions() | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        QString why;
        const bool available = NamespaceProbe().available(&why);
        qputenv("PATH", path);
        QVERIFY(!available);
        QCOMPARE(why, QString("bubblewrap cannot make namespaces here: bwrap: No permissions to create new namespace"));
    }

    void withoutNamespacesThePoolSaysSoAndStillDecodes()
    {
        if (!isolated)
            QSKIP("no namespaces here to begin with");
        DecoderPool::Options o = options(GW_DECODE_HELPER);
        int asked = 0;
        o.isolation = [&](QString *why) { ++asked; *why = "not here"; return false; };
        DecoderPool pool(o);
        pool.warmUp();   // started in hope of namespaces; it goes
        QCOMPARE(decode(pool, photo("plain.jpg", QSize(32, 24))).image.size(), QSize(32, 24));
        QVERIFY(pool.notice().contains("without namespaces (not here)"));
        QCOMPARE(asked, 1);
        // The helper now runs plainly: it shares our namespaces.
        const int pid = pool.idleHelpers().at(0);
        QCOMPARE(namespaceOf(pid, "user"), namespaceOf(::getpid(), "user"));
    }

    void theBatchModeGoesOnPastEveryFault()
    {
        // The real batch program, decoding through the faulty helper: each
        // bad picture is refused with its name and why, the good ones saved.
        QTemporaryDir out;
        QStringList files{photo("a-good.jpg", QSize(40, 30))};
        for (const char *fault : {"crash", "hang", "alloc"})
            files << write(QStringLiteral("b-%1.jpg").arg(fault), QByteArray("GWFAULT ") + fault);
        files << photo("c-good.jpg", QSize(30, 40));
        QProcess batch;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("GLINTWAVE_DECODE_HELPER", GW_FAULTY_HELPER);
        env.insert("GLINTWAVE_DECODE_SECONDS", "2");
        batch.setProcessEnvironment(env);
        batch.start(GW_APPLY_PROGRAM, QStringList{"N", "--out", out.path()} + files);
        QVERIFY(batch.waitForFinished(120000));
        QCOMPARE(batch.exitCode(), 1);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), (QStringList{"gw001.bmp", "gw002.bmp"}));
        // Which limit stops the endless allocation first (memory or time)
        // depends on the machine; each bad picture is named with a reason.
        const QString err = QString::fromLocal8Bit(batch.readAllStandardError());
        for (const char *fault : {"crash", "hang", "alloc"})
            QVERIFY2(err.contains(QStringLiteral("cannot load %1: ").arg(dir.filePath(QStringLiteral("b-%1.jpg").arg(fault)))),
                     qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestDecodePool)
#include "tst_decodepool.moc"
