#include "AboutText.h"
#include "KeyReference.h"
#include "LinkLabel.h"
#include "SysInfo.h"
#include "frmAbout.h"
#include "frmKeyDoc.h"

#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
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
            QString title;
            whenModal<frmKeyDoc>([&](frmKeyDoc *w) {
                title = w->windowTitle();
                for (int i = 0; i < w->lstKeyDoc->count(); ++i)
                    shown << w->lstKeyDoc->item(i)->text();
                if (w->cmdOK->isDefault() && w->cmdOK->text() == "&Got It!")
                    QTest::keyClick(w, Qt::Key_Return);
            });
            showKeyReference(nullptr);   // returns only once the default button closed it
            // No caption: an empty title would make the window system show the
            // program's name there instead.
            QVERIFY(!title.isEmpty() && title.trimmed().isEmpty());
            for (int i = 1; i < shown.size(); ++i)
                QVERIFY2(shown[i - 1].compare(shown[i], Qt::CaseInsensitive) <= 0, qPrintable(shown[i]));
            // Case is ignored: "Shift + ..." comes before "SPACE".
            QVERIFY(shown.indexOf("Shift + Z - Emboss") < shown.indexOf("SPACE - View next file in list"));
            std::sort(shown.begin(), shown.end());
            QCOMPARE(shown, added);
        }
    }

    void aboutBox()
    {
        // The version is the one the build keeps in the top CMakeLists.
        QFile top(QString(GW_SOURCE_DIR) + "/CMakeLists.txt");
        QVERIFY(top.open(QIODevice::ReadOnly));
        const auto m = QRegularExpression(R"(project\(Glintwave\s+VERSION\s+(\d+\.\d+\.\d+))")
                           .match(QString::fromUtf8(top.readAll()));
        QVERIFY(m.hasMatch());

        QStringList opened;
        frmAbout *box = showAbout(nullptr, [&](const QString &a) { opened << a; });
        QPointer<frmAbout> guard = box;
        QVERIFY(QTest::qWaitForWindowExposed(box) && !box->isModal());
        QCOMPARE(box->lblVersion->text(), "Version " + m.captured(1));
        QTest::mouseClick(box->lblWebAddr, Qt::LeftButton);
        QTest::mouseClick(box->lblAdvertLnk, Qt::LeftButton);
        QTest::mouseClick(box->lblAdvertLnk, Qt::RightButton);   // not a click on a link
        QCOMPARE(opened, QStringList({box->lblWebAddr->text(), box->lblAdvertLnk->text()}));
        QVERIFY(QUrl(opened[1]).hasQuery());

        QCOMPARE(showAbout(nullptr, {}), box);   // brought forward, not opened twice
        QTest::keyClick(box, Qt::Key_Escape);    // OK is also the cancel button
        QTRY_VERIFY(guard.isNull());
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

        frmAbout box({});
        box.setSysInfoSearchPath(path);
        QString message;
        whenModal<QMessageBox>([&](QMessageBox *m) {
            message = m->text();
            m->accept();
        });
        box.StartSysInfo();
        QCOMPARE(message, QString("System Information Is Unavailable At This Time"));

        QVERIFY(makeProgram(b.filePath("mate-system-monitor"), "exit 0"));
        auto tool = findSysInfoTool(path);
        QVERIFY(tool && tool->arguments == QStringList{"--show-system-tab"});
        // A dedicated information program is preferred, whichever folder comes first.
        const QString marker = b.filePath("started");
        QVERIFY(makeProgram(b.filePath("kinfocenter"), "echo run > '" + marker + "'"));
        QCOMPARE(findSysInfoTool(path)->program, b.filePath("kinfocenter"));
        message.clear();
        box.StartSysInfo();
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(message.isEmpty() && !QApplication::activeModalWidget());
    }
};

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
