// The command line decided without a display, and the real program's answers
// to it: what reaches standard output and standard error, and the exit codes.
#include "core/CommandLine.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using Action = CommandLineRequest::Action;

class TestCommandLine : public QObject {
    Q_OBJECT
    static CommandLineRequest parse(const QStringList &args, const QStringList &files = {})
    {
        return parseCommandLine(QStringList{"glintwave"} + args,
                                [files](const QString &p) { return files.contains(p); });
    }

private slots:
    void parser_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("exitCode");

        const int browse = int(Action::Browse), open = int(Action::Open), refused = int(Action::Refused);
        QTest::newRow("nothing") << QStringList{} << browse << QString() << 0;
        QTest::newRow("file") << QStringList{"a.jpg"} << open << "a.jpg" << 0;
        QTest::newRow("--help after -- is a file") << QStringList{"--", "--help"} << open << "--help" << 0;
        QTest::newRow("dash file without --") << QStringList{"-photo.jpg"} << refused << QString() << 2;
        QTest::newRow("Qt's own option") << QStringList{"-style", "fusion"} << refused << QString() << 2;
        QTest::newRow("--apply not first") << QStringList{"a.jpg", "--apply", "T"} << refused << QString() << 2;
        QTest::newRow("empty name") << QStringList{""} << refused << QString() << 2;
    }

    void parser()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, file);
        QFETCH(int, exitCode);
        const CommandLineRequest r = parse(args);
        QCOMPARE(int(r.action), action);
        QCOMPARE(r.file, file);
        QCOMPARE(r.exitCode, exitCode);
        if (r.action == Action::Refused) {
            // One line, naming what was wrong and where to look.
            QVERIFY(r.text.startsWith("glintwave: "));
            QCOMPARE(r.text.count('\n'), 1);
            QVERIFY(r.text.contains("--help"));
        }
    }

    void shellSplitNameOpensAsOneFile()
    {
        // An unquoted name with a blank still opens the one file it names...
        CommandLineRequest r = parse({"my", "photo.jpg"}, {"my photo.jpg"});
        QCOMPARE(r.file, QStringLiteral("my photo.jpg"));
        QCOMPARE(r.files, QStringList{"my photo.jpg"});
        // ...while files a file manager hands over are each one of the list.
        r = parse({"b.jpg", "a.jpg"}, {"a.jpg", "b.jpg"});
        QCOMPARE(r.file, QStringLiteral("b.jpg"));
        QCOMPARE(r.files, (QStringList{"b.jpg", "a.jpg"}));
        // ...and --apply keeps everything after it for the batch mode, options included.
        r = parse({"--apply", "Shift+Z,Esc", "--out", "/tmp/x", "--", "-a.png"});
        QCOMPARE(r.action, Action::Apply);
        QCOMPARE(r.applyArguments, (QStringList{"Shift+Z,Esc", "--out", "/tmp/x", "--", "-a.png"}));
    }

    void programAnswersWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");   // start of standard output
        QTest::addColumn<QString>("err");   // start of standard error

        QTest::newRow("--help") << QStringList{"--help"} << 0 << "Usage: glintwave" << "";
        QTest::newRow("unknown") << QStringList{"--bogus"} << 2 << "" << "glintwave: Unknown option 'bogus'";
        QTest::newRow("dash file after --, no display") << QStringList{"--", "-pic.png"} << 1 << ""
                                                        << "glintwave: no display";
        QTest::newRow("--apply") << QStringList{"--apply", "Shift+Z", "--out", "OUT", "PICTURE"} << 0 << "OUT/gw001.bmp"
                                 << "";
        QTest::newRow("--apply --help") << QStringList{"--apply", "--help"} << 0 << "Usage: glintwave-apply KEYS" << "";
    }

    void programAnswersWithoutDisplay()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);

        QTemporaryDir dir;
        QImage picture = testpictures::solid(32, 24, Qt::red);
        const QString path = dir.filePath("pic.png");
        QVERIFY(picture.save(path));
        for (QString &a : args) {
            a.replace("PICTURE", path);
            a.replace("OUT", dir.path());
        }
        out.replace("OUT", dir.path());

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(v);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(GW_PROGRAM, args);
        QVERIFY(p.waitForFinished(60000));
        const QString stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString stdErr = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);   // never an abort
        QVERIFY2(p.exitCode() == exitCode, qPrintable(QString("exit %1, stderr: %2").arg(p.exitCode()).arg(stdErr)));
        QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
        QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err) && stdErr.count('\n') == 1, qPrintable(stdErr));
        if (args.value(0) == "--apply" && args.size() > 2 && exitCode == 0)
            QVERIFY(QFileInfo(dir.filePath("gw001.bmp")).isFile());
    }

    void aFileThatCannotBeReadIsNamed()
    {
        // The message box waits for a user; standard error has said it first.
        QTemporaryDir dir;
        const QString missing = dir.filePath("missing.jpg");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(GW_PROGRAM, {missing});
        QByteArray err;
        const QByteArray expected = "glintwave: cannot read \"" + missing.toUtf8() + "\": No such file or directory\n";
        QVERIFY2(QTest::qWaitFor([&] { err += p.readAllStandardError(); return err.contains(expected); }, 30000),
                 err.constData());
        p.kill();
        p.waitForFinished();
    }

    void batchProgramHelps()
    {
        QProcess p;
        p.start(GW_APPLY_PROGRAM, {"--help"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().startsWith("Usage: glintwave-apply KEYS"));
        QCOMPARE(p.readAllStandardError(), QByteArray());
    }

    void manualPagesTellWhatHelpTells()
    {
        // Written from --help at build time; a usage text help2man cannot
        // read would leave the pages without their options.
        for (const QString &program : {QStringLiteral(GW_PROGRAM), QStringLiteral(GW_APPLY_PROGRAM)}) {
            QProcess p;
            p.start(program, {"--help"});
            QVERIFY(p.waitForFinished(60000));
            const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
            QFile page(GW_MAN_DIR "/" + QFileInfo(program).fileName() + ".1");
            QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(page.fileName()));
            const QString roff = QString::fromUtf8(page.readAll()).replace("\\-", "-");
            QVERIFY(roff.contains(".SH OPTIONS"));
            int options = 0;
            const QRegularExpression option("^  (-[-\\w]+)", QRegularExpression::MultilineOption);
            for (auto it = option.globalMatch(help); it.hasNext(); ++options) {
                const QString name = it.next().captured(1);
                QVERIFY2(roff.contains(QRegularExpression("^\\\\fB" + QRegularExpression::escape(name) + "\\\\fR",
                                                          QRegularExpression::MultilineOption)),
                         qPrintable(program + " " + name));
            }
            QVERIFY(options >= 4);
        }
    }

    void batchTakesNamesThatAreNotUtf8()
    {
        // A folder and a picture named in Latin-1, as an old archive has them:
        // the names go to the program as their bytes (through the shell), the
        // result lands beside the picture and its name is printed as it is.
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + "/caf\xe9";
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        QImage picture = testpictures::solid(32, 24, Qt::blue);
        QVERIFY(picture.save(dir.filePath("plain.png")));
        QVERIFY(::rename(QFile::encodeName(dir.filePath("plain.png")).constData(), (folder + "/pic\xe9.png").constData()) == 0);

        QProcess p;
        p.start("/bin/sh", {"-c", "exec \"$0\" --apply N \"$(printf '%s/caf\\351/pic\\351.png' \"$1\")\" \"$(printf 'missing\\351.png')\"",
                            GW_PROGRAM, dir.path()});
        QVERIFY(p.waitForFinished(60000));
        const QByteArray err = p.readAllStandardError();
        QCOMPARE(p.exitCode(), 1);   // the missing one
        QCOMPARE(p.readAllStandardOutput(), folder + "/gw001.bmp\n");
        QVERIFY(::access((folder + "/gw001.bmp").constData(), F_OK) == 0);
        QVERIFY2(err.startsWith("glintwave: cannot load missing\xe9.png: No such file"), err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
