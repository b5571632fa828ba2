// Exit from the menu bar closes every open window after writing the
// options, which the next start restores.
#include "AppState.h"
#include "FileListModel.h"
#include "OptionSet.h"
#include "SettingsStore.h"
#include "WebEngineSetup.h"
#include "frmAbout.h"
#include "frmBrowser.h"
#include "frmCD.h"
#include "frmHTML.h"
#include "frmMain.h"
#include "frmMedia.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include "../info/WhenModal.h"

namespace {
QAction *item(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

template <typename T> T *openWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

} // namespace

class TestMenus : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<frmMain> w;
    std::unique_ptr<BoxWatch> boxes; // the CD player finds no drive here and says so

    std::unique_ptr<frmMain> start()
    {
        auto m = std::make_unique<frmMain>(std::make_shared<SettingsStore>(dir.filePath("s.ini")));
        m->Form_Load();
        m->show();
        m->goToFolder(dir.filePath("media"));
        return m;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir().mkpath(dir.filePath("media")));
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(dir.filePath("media/a.bmp")));
        QVERIFY(image.save(dir.filePath("media/b.jpg")));
        boxes = std::make_unique<BoxWatch>();
        w = start();
    }

    void exitClosesEveryWindowAfterWritingTheOptions()
    {
        // Every kind of window open at once.
        w->selectEntry(1);
        w->ShowMedia();
        QVERIFY(w->viewer(false));
        item(w->mnuFile, "&Build HTML Page")->trigger();
        QVERIFY(openWindow<frmHTML>());
        item(w->mnuHelp, "&About")->trigger();
        QVERIFY(openWindow<frmAbout>());
        item(w->mnuHelp, "&Help")->trigger();
        QVERIFY(openWindow<frmBrowser>());
        w->picCD->click();
        QTRY_VERIFY(openWindow<frmCD>());
        // An option changed in this run must reach the store.
        w->options().EdgeTuning = 77;
        w->mnuDetail_Click();

        item(w->mnuFile, "E&xit")->trigger();
        QTRY_VERIFY(!w->viewer(false));
        QTRY_VERIFY(!openWindow<frmHTML>());
        QTRY_VERIFY(!openWindow<frmAbout>());
        QTRY_VERIFY(!openWindow<frmBrowser>());
        QTRY_VERIFY(!openWindow<frmCD>());
        QVERIFY(!w->isVisible());
        w.reset();

        w = start();
        QCOMPARE(w->options().EdgeTuning, 77);
        QVERIFY(w->mnuDetailAction->isChecked());
        QCOMPARE(w->currentFolder(), dir.filePath("media"));
    }

    void cleanupTestCase()
    {
        boxes.reset();
        w.reset();
    }
};

int main(int argc, char **argv)
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    TestMenus test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_menus.moc"
