#include "frmHTML.h"

#include "HtmlPageWriter.h"
#include "version.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Closing deletes the window later: let that happen and check it did.
bool closedAndGone(QPointer<frmHTML> &window)
{
    if (!QTest::qWaitFor([&] { return !window || !window->isVisible(); }, 10000))
        return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return window.isNull();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}
}

class TestFrmHtml : public QObject
{
    Q_OBJECT
private slots:
    void startsFromItsInitialValues();
    void okWritesTheMainWindowsFolderAndListAsTheyAreNow();
    void cancelWritesNothing();
    void refusedNameKeepsTheDialogOpenForCorrection();
    void thumbnailsAreMadeWhenTicked();
    void oneBuilderAtATime();
};

void TestFrmHtml::startsFromItsInitialValues()
{
    frmHTML dlg({}, {});
    QCOMPARE(dlg.windowTitle(), QString("HTML Page Builder"));
    QCOMPARE(dlg.txtFilename->text(), QString("Untitled.htm"));
    QCOMPARE(dlg.txtTitle->text(), QString("Mega Sexy Title"));
    QCOMPARE(dlg.txtRow->text(), QString("5"));
    QCOMPARE(dlg.txtWidth->text(), QString("100"));
    QVERIFY(dlg.chkFnames->isChecked());
    QVERIFY(!dlg.chkThumbs->isChecked());
    QCOMPARE(dlg.chkFnames->text(), QString("Show file &names"));
    QCOMPARE(dlg.chkThumbs->text(), QString("&Generate && show thumbnails"));
    QCOMPARE(dlg.cmdOK->text(), QString("OK"));
    QCOMPARE(dlg.cmdCancel->text(), QString("Cancel"));
    // Each label's access key leads to its own box.
    const std::pair<QLabel *, QLineEdit *> labelled[] = {
        {dlg.lblFile, dlg.txtFilename}, {dlg.lblTitle, dlg.txtTitle},
        {dlg.lblRow, dlg.txtRow}, {dlg.lblWidth, dlg.txtWidth}};
    const QStringList captions = {"&Filename", "Page &Title", "items per &row", "&pixels wide"};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(labelled[i].first->text(), captions.at(i));
        QCOMPARE(labelled[i].first->buddy(), labelled[i].second);
    }
}

void TestFrmHtml::okWritesTheMainWindowsFolderAndListAsTheyAreNow()
{
    QTemporaryDir first, second;
    QVERIFY(first.isValid() && second.isValid());
    QString shownFolder = first.path();
    QStringList listed = {"old.jpg"};

    QPointer<frmHTML> dlg = new frmHTML([&] { return shownFolder; }, [&] { return listed; });
    dlg->show();
    // The user browses elsewhere while the builder is open.
    shownFolder = second.path();
    listed = {"x.jpg", "y & z.gif", "w.txt"};
    dlg->txtTitle->setText("Trip <2026>");
    dlg->txtRow->setText("2");
    QSignalSpy finished(dlg.data(), &frmHTML::writeFinished);
    QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QVERIFY(closedAndGone(dlg));   // closed and gone after writing

    QVERIFY(entries(first.path()).isEmpty());
    QCOMPARE(entries(second.path()), QStringList{"Untitled.htm"});
    HtmlPageContent expected;
    expected.title = "Trip <2026>";
    expected.itemsPerRow = "2";
    expected.names = listed;
    expected.showNames = true;
    expected.version = GLINTWAVE_VERSION_TEXT;
    QCOMPARE(readAll(second.filePath("Untitled.htm")), htmlPageBytes(htmlPageLines(expected)));
}

void TestFrmHtml::cancelWritesNothing()
{
    QTemporaryDir dir;
    QPointer<frmHTML> dlg = new frmHTML([&] { return dir.path(); }, [] { return QStringList{"a.jpg"}; });
    dlg->show();
    QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
    QVERIFY(closedAndGone(dlg));
    QVERIFY(entries(dir.path()).isEmpty());
}

void TestFrmHtml::refusedNameKeepsTheDialogOpenForCorrection()
{
    QTemporaryDir dir;
    QString folder = dir.filePath("gone");   // a folder that does not exist
    QPointer<frmHTML> dlg = new frmHTML([&] { return folder; }, [] { return QStringList{"a.jpg"}; });
    dlg->show();

    auto problem = [&dlg]() -> QString {
        auto *box = dlg->findChild<QMessageBox *>();
        return box && box->isVisible() ? box->text() : QString();
    };
    auto dismiss = [&dlg] {
        auto *box = dlg->findChild<QMessageBox *>();
        box->button(QMessageBox::Ok)->click();
    };

    QSignalSpy finished(dlg.data(), &frmHTML::writeFinished);
    QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QTRY_VERIFY(problem().contains("Cannot write the page"));
    dismiss();
    QVERIFY(dlg && dlg->isVisible());
    QVERIFY(dlg->txtFilename->isEnabled() && dlg->cmdOK->isEnabled());

    // A name with a folder separator is refused at once.
    folder = dir.path();
    dlg->txtFilename->setText("sub/page.htm");
    QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    QTRY_VERIFY(problem().contains("\"/\""));
    dismiss();
    QVERIFY(entries(dir.path()).isEmpty());

    // Corrected, the same dialog writes the page and closes.
    dlg->txtFilename->setText("page.htm");
    QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    QVERIFY(closedAndGone(dlg));
    QCOMPARE(entries(dir.path()), QStringList{"page.htm"});
}

void TestFrmHtml::thumbnailsAreMadeWhenTicked()
{
    QTemporaryDir dir;
    QImage pic(300, 150, QImage::Format_RGB32);
    pic.fill(Qt::darkCyan);
    QVERIFY(pic.save(dir.filePath("sea.jpg"), "JPEG"));
    QPointer<frmHTML> dlg = new frmHTML([&] { return dir.path(); }, [] { return QStringList{"sea.jpg"}; });
    dlg->show();
    dlg->chkThumbs->setChecked(true);
    dlg->txtWidth->setText("60");

    // Cancel while the thumbnails are being made: nothing is left, the
    // dialog stays open.
    QSignalSpy finished(dlg.data(), &frmHTML::writeFinished);
    QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    QVERIFY(dlg->isWriting());
    QVERIFY(!dlg->cmdOK->isEnabled());
    QTest::mouseClick(dlg->cmdCancel, Qt::LeftButton);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QVERIFY(dlg && dlg->isVisible() && dlg->cmdOK->isEnabled());
    QCOMPARE(entries(dir.path()), QStringList{"sea.jpg"});

    QTest::mouseClick(dlg->cmdOK, Qt::LeftButton);
    QVERIFY(closedAndGone(dlg));
    QCOMPARE(QImage(dir.filePath("Untitled_thumbs/sea.jpg.png")).size(), QSize(60, 30));
    QVERIFY(readAll(dir.filePath("Untitled.htm")).contains("<img src=\"Untitled_thumbs/sea.jpg.png\""));
}

void TestFrmHtml::oneBuilderAtATime()
{
    QWidget main;
    frmHTML *a = showHtmlBuilder(&main, [] { return QDir::tempPath(); }, [] { return QStringList(); });
    a->txtTitle->setText("typed");
    frmHTML *b = showHtmlBuilder(&main, [] { return QDir::tempPath(); }, [] { return QStringList(); });
    QCOMPARE(a, b);
    QCOMPARE(b->txtTitle->text(), QString("typed"));
    QPointer<frmHTML> gone = a;
    a->close();
    QVERIFY(closedAndGone(gone));
    // Opened afresh, it starts from the initial values again.
    frmHTML *c = showHtmlBuilder(&main, [] { return QDir::tempPath(); }, [] { return QStringList(); });
    QCOMPARE(c->txtTitle->text(), QString("Mega Sexy Title"));
    c->close();
}

QTEST_MAIN(TestFrmHtml)
#include "tst_frmhtml.moc"
