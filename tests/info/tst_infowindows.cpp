#include "AboutText.h"
#include "KeyReference.h"
#include "LinkLabel.h"
#include "SysInfo.h"
#include "frmAbout.h"
#include "frmKeyDoc.h"

#include <QFile>
#include <QFontInfo>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

namespace {

template <typename T>
void whenModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (++*tries > 250) {
            timer->stop();
            timer->deleteLater();
            qWarning("no modal window appeared");
        }
    });
    timer->start(20);
}

QStringList shownLines(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

bool makeProgram(const QString &path, const QString &body)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
    f.close();
    return f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestInfoWindows : public QObject
{
    Q_OBJECT
private slots:
    void keyLinesAsWritten();
    void keyReferenceSortedAtEveryOpening();
    void aboutTexts();
    void aboutLinksAndButtons();
    void sysInfoLookup();
    void sysInfoStartsOrSaysUnavailable();
};

void TestInfoWindows::keyLinesAsWritten()
{
    const QStringList &lines = keyReferenceLines();
    QCOMPARE(lines.size(), 53);
    QCOMPARE(QSet<QString>(lines.begin(), lines.end()).size(), 53);
    QCOMPARE(lines.first(), QString("H - flip picture horizontally"));
    QCOMPARE(lines.last(), QString("W - Set picture as desktop wallpaper."));
    // Every line is "key - description"; only the last ends with a full stop.
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines[i].contains(" - "), qPrintable(lines[i]));
        QCOMPARE(lines[i].endsWith('.'), i == 52);
    }
}

void TestInfoWindows::keyReferenceSortedAtEveryOpening()
{
    for (int opening = 0; opening < 2; ++opening) {
        QStringList shown;
        QString title;
        QSize size;
        QFont font;
        bool defaultButton = false;
        QString caption;
        whenModal<frmKeyDoc>([&](frmKeyDoc *w) {
            shown = shownLines(w->lstKeyDoc);
            title = w->windowTitle();
            size = w->size();
            font = w->lstKeyDoc->font();
            defaultButton = w->cmdOK->isDefault();
            caption = w->cmdOK->text();
            QTest::keyClick(w, Qt::Key_Return);   // the default button closes it
        });
        showKeyReference(nullptr);
        QCOMPARE(shown.size(), 53);
        QStringList expected = keyReferenceLines();
        std::sort(expected.begin(), expected.end());
        QStringList sortedShown = shown;
        std::sort(sortedShown.begin(), sortedShown.end());
        QCOMPARE(sortedShown, expected);
        for (int i = 1; i < shown.size(); ++i)
            QVERIFY2(shown[i - 1].compare(shown[i], Qt::CaseInsensitive) <= 0, qPrintable(shown[i]));
        QVERIFY(shown.first() != "H - flip picture horizontally");
        QCOMPARE(shown.first(), QString("+ - Zoom In"));
        // Case is ignored: "Shift + ..." comes before "SPACE".
        QVERIFY(shown.indexOf("Shift + Z - Emboss") < shown.indexOf("SPACE - View next file in list"));
        QCOMPARE(title, QString());
        QCOMPARE(size, QSize(330, 342));   // 4950 x 5130 twips
        QVERIFY(font.bold());
        QCOMPARE(font.pointSizeF(), 9.75);
        QVERIFY(defaultButton);
        QCOMPARE(caption, QString("&Got It!"));
    }
}

void TestInfoWindows::aboutTexts()
{
    // The version comes from the one place the build keeps it.
    QFile top(QString(GW_SOURCE_DIR) + "/CMakeLists.txt");
    QVERIFY(top.open(QIODevice::ReadOnly));
    const auto m = QRegularExpression(R"(project\(Glintwave\s+VERSION\s+(\d+)\.(\d+)\.(\d+))")
                       .match(QString::fromUtf8(top.readAll()));
    QVERIFY(m.hasMatch());

    frmAbout box({});
    QCOMPARE(box.windowTitle(), QString("About Glintwave"));
    QCOMPARE(box.lblTitle->text(), QString("Glintwave"));
    QCOMPARE(box.lblVersion->text(),
             QString("Version %1.%2.%3").arg(m.captured(1), m.captured(2), m.captured(3)));
    QCOMPARE(box.lblDescription->text().count("\n\n"), 1);
    QVERIFY(!box.lblDescription->text().startsWith('\n') && !box.lblDescription->text().endsWith('\n'));
    QCOMPARE(box.cmdSysInfo->text(), QString("&System Info..."));
    QCOMPARE(box.cmdOK->text(), QString("OK"));
    QVERIFY(box.cmdOK->isDefault());
    QVERIFY(!box.picIcon->pixmap().isNull());
    for (LinkLabel *link : {box.lblWebAddr, box.lblAdvertLnk}) {
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(link->font().underline());
        QVERIFY(QUrl(link->text()).isValid());
    }
    QVERIFY(QUrl(box.lblAdvertLnk->text()).hasQuery());
}

void TestInfoWindows::aboutLinksAndButtons()
{
    QStringList opened;
    frmAbout *box = showAbout(nullptr, [&](const QString &a) { opened << a; });
    QVERIFY(QTest::qWaitForWindowExposed(box));
    QVERIFY(!box->isModal());
    QPointer<frmAbout> guard = box;

    QTest::mouseClick(box->lblWebAddr, Qt::LeftButton);
    QTest::mouseClick(box->lblAdvertLnk, Qt::LeftButton);
    QTest::mouseClick(box->lblAdvertLnk, Qt::RightButton);   // not a click on a link
    QCOMPARE(opened, QStringList({about::makerAddress(), about::advertAddress()}));
    QCOMPARE(opened[0], box->lblWebAddr->text());

    // A second "About" brings the open box forward instead of a second one.
    QCOMPARE(showAbout(nullptr, {}), box);

    // OK is also the cancel button.
    QTest::keyClick(box, Qt::Key_Escape);
    QTRY_VERIFY(guard.isNull());
    frmAbout *again = showAbout(nullptr, {});
    QPointer<frmAbout> guard2 = again;
    again->cmdOK->click();
    QTRY_VERIFY(guard2.isNull());
}

void TestInfoWindows::sysInfoLookup()
{
    QTemporaryDir a, b;
    const QString path = a.path() + ":" + b.path();
    QVERIFY(!findSysInfoTool(path));
    QVERIFY(!findSysInfoTool(QString()));   // never falls back to the real PATH

    // A file that cannot be run does not count, nor does a task manager.
    QFile plain(a.filePath("hardinfo"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(makeProgram(a.filePath("gnome-system-monitor"), "exit 0"));
    QVERIFY(!findSysInfoTool(path));

    QVERIFY(makeProgram(b.filePath("mate-system-monitor"), "exit 0"));
    auto tool = findSysInfoTool(path);
    QVERIFY(tool);
    QCOMPARE(tool->program, b.filePath("mate-system-monitor"));
    QCOMPARE(tool->arguments, QStringList{"--show-system-tab"});

    // A dedicated information program is preferred, whichever folder comes first.
    QVERIFY(makeProgram(b.filePath("kinfocenter"), "exit 0"));
    tool = findSysInfoTool(path);
    QVERIFY(tool);
    QCOMPARE(tool->program, b.filePath("kinfocenter"));
    QVERIFY(tool->arguments.isEmpty());
}

void TestInfoWindows::sysInfoStartsOrSaysUnavailable()
{
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    frmAbout box({});
    box.setSysInfoSearchPath(dir.path());

    QString message;
    whenModal<QMessageBox>([&](QMessageBox *m) {
        message = m->text();
        m->accept();
    });
    box.StartSysInfo();
    QCOMPARE(message, QString("System Information Is Unavailable At This Time"));
    QVERIFY(box.isEnabled());

    QVERIFY(makeProgram(dir.filePath("hardinfo"), "echo \"$@\" > '" + marker + "'"));
    message.clear();
    box.StartSysInfo();   // starts it and shows nothing
    QTRY_VERIFY(QFile::exists(marker));
    QVERIFY(message.isEmpty());
    QVERIFY(!QApplication::activeModalWidget());
}

QTEST_MAIN(TestInfoWindows)
#include "tst_infowindows.moc"
