#include "web/ui/frmHTML.h"

#include "web/HtmlPageWriter.h"
#include "core/version.h"

#include "TestFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "TestPictures.h"

#include <cstdio>

namespace {
using namespace testfiles;
// Closing deletes the window later: let that happen and check it did.
bool closedAndGone(QPointer<frmHTML> &window)
{
    if (!QTest::qWaitFor([&] { return !window || !window->isVisible(); }, 10000))
        return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

// The text of the message the dialog shows, then dismissed.
QString takeProblem(frmHTML *dlg)
{
    QMessageBox *box = nullptr;
    if (!QTest::qWaitFor([&] { return (box = dlg->findChild<QMessageBox *>()) && box->isVisible(); }, 10000))
        return {};
    const QString text = box->text();
    box->button(QMessageBox::Ok)->click();
    return text;
}
}

class TestFrmHtml : public QObject
{
    Q_OBJECT
private slots:
    // A refused page keeps the dialog open for correction; OK then writes the
    // main window's folder and list as they are at that moment.
    void okWritesTheFolderShownNowOrSaysWhyNot()
    {
        QTemporaryDir dir;
        QString folder = dir.filePath("gone");   // a folder that no longer exists
        QStringList listed = {"old.jpg"};
        QPointer<frmHTML> dlg = new frmHTML([&] { return folder; }, [&] { return listed; });
        dlg->show();
        QSignalSpy finished(dlg.data(), &frmHTML::writeFinished);
        QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
        QVERIFY(takeProblem(dlg).contains("Cannot write the page"));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(dlg && dlg->isVisible() && dlg->cmdOK->isEnabled());

        folder = dir.path();
        listed = {"x.jpg", "y & z.gif", "w.txt"};
        dlg->txtTitle->setText("Trip <2026>");
        dlg->txtRow->setText("2");
        QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
        QVERIFY(closedAndGone(dlg));
        QCOMPARE(entries(dir.path()), QStringList{"Untitled.htm"});
        const HtmlPageContent expected{"Trip <2026>", "2", listed, true, GLINTWAVE_VERSION_TEXT, {}};
        QCOMPARE(readAll(dir.filePath("Untitled.htm")), htmlPageBytes(htmlPageLines(expected)));
    }

    // A name that is not UTF-8 (an old archive's Latin-1) links to the file
    // by its own bytes and still gets its thumbnail.
    void latin1NamesLinkToTheirFiles()
    {
        QTemporaryDir dir;
        QVERIFY(testpictures::solid(40, 30, Qt::green).save(dir.filePath("plain.png")));
        const QByteArray bytes = "caf\xe9.png";
        QVERIFY(::rename(QFile::encodeName(dir.filePath("plain.png")).constData(),
                         (QFile::encodeName(dir.path()) + '/' + bytes).constData()) == 0);
        QPointer<frmHTML> dlg = new frmHTML([&] { return dir.path(); }, [&] { return QStringList{QFile::decodeName(bytes)}; },
                                            nullptr, [&] { return QList<QByteArray>{bytes}; });
        dlg->chkThumbs->setChecked(true);
        dlg->show();
        QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
        QVERIFY(closedAndGone(dlg));
        const QByteArray html = readAll(dir.filePath("Untitled.htm"));
        QVERIFY2(html.contains("<a href=\"caf%E9.png\">"), html.constData());
        QVERIFY2(html.contains("<img src=\""), html.constData());
    }
};

QTEST_MAIN(TestFrmHtml)
#include "tst_frmhtml.moc"
