#include "info/KeyReference.h"
#include "info/SysInfo.h"
#include "info/ui/frmAbout.h"
#include "info/ui/frmKeyDoc.h"

#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "TestFiles.h"

static bool makeProgram(const QString &path, const QString &body)
{
    return testfiles::writeFile(path, ("#!/bin/sh\n" + body + "\n").toUtf8())
           && QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
}

class TestInfoWindows : public QObject
{
    Q_OBJECT
private slots:
    void keyReferenceSorted()
    {
        frmKeyDoc w;
        QStringList shown;
        for (int i = 0; i < w.lstKeyDoc->count(); ++i)
            shown << w.lstKeyDoc->item(i)->text();
        QCOMPARE(shown.size(), keyReferenceLines().size());
        for (int i = 1; i < shown.size(); ++i)   // case is ignored
            QVERIFY2(shown[i - 1].compare(shown[i], Qt::CaseInsensitive) <= 0, qPrintable(shown[i]));
    }

    void sysInfo()
    {
        QTemporaryDir a, b;
        const QString path = a.path() + ":" + b.path();
        QVERIFY(!findSysInfoTool(QString()));   // never falls back to the real PATH
        // A task manager does not count.
        QVERIFY(makeProgram(a.filePath("gnome-system-monitor"), "exit 0"));
        QVERIFY(!findSysInfoTool(path));

        QVERIFY(makeProgram(a.filePath("mate-system-monitor"), "exit 0"));
        auto tool = findSysInfoTool(path);
        QVERIFY(tool && tool->arguments == QStringList{"--show-system-tab"});
        // A dedicated information program is preferred, whichever folder comes first.
        const QString marker = b.filePath("started");
        QVERIFY(makeProgram(b.filePath("kinfocenter"), "echo run > '" + marker + "'"));
        QCOMPARE(findSysInfoTool(path)->program, b.filePath("kinfocenter"));
        // The About box's button starts it.
        frmAbout box({});
        box.setSysInfoSearchPath(path);
        box.StartSysInfo();
        QTRY_VERIFY(QFile::exists(marker));
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
