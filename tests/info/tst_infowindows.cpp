#include "KeyReference.h"
#include "LinkLabel.h"
#include "SysInfo.h"
#include "frmAbout.h"
#include "frmKeyDoc.h"

#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include "WhenModal.h"

static bool makeProgram(const QString &path, const QString &body)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(("#!/bin/sh\n" + body + "\n").toUtf8()) < 0)
        return false;
    f.close();
    return f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
}

class TestInfoWindows : public QObject
{
    Q_OBJECT
private slots:
    void keyReferenceSortedAtEveryOpening()
    {
        QStringList added = keyReferenceLines();
        std::sort(added.begin(), added.end());
        for (int opening = 0; opening < 2; ++opening) {
            QStringList shown;
            whenModal<frmKeyDoc>([&](frmKeyDoc *w) {
                for (int i = 0; i < w->lstKeyDoc->count(); ++i)
                    shown << w->lstKeyDoc->item(i)->text();
                if (w->cmdOK->isDefault() && w->cmdOK->text() == "&Got It!")
                    QTest::keyClick(w, Qt::Key_Return);
            });
            showKeyReference(nullptr);   // returns only once the default button closed it
            for (int i = 1; i < shown.size(); ++i)   // case is ignored
                QVERIFY2(shown[i - 1].compare(shown[i], Qt::CaseInsensitive) <= 0, qPrintable(shown[i]));
            std::sort(shown.begin(), shown.end());
            QCOMPARE(shown, added);
        }
    }

    void sysInfo()
    {
        QTemporaryDir a, b;
        const QString path = a.path() + ":" + b.path();
        QVERIFY(!findSysInfoTool(QString()));   // never falls back to the real PATH
        // A file that cannot be run does not count, nor does a task manager.
        QFile plain(a.filePath("hardinfo"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(makeProgram(a.filePath("gnome-system-monitor"), "exit 0"));

        QVERIFY(!findSysInfoTool(path));

        QVERIFY(makeProgram(b.filePath("mate-system-monitor"), "exit 0"));
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
