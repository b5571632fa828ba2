// The web engine, the multimedia framework and the CD library come from the
// program's module when first used, never at start: through the main window
// a clip plays and the help page shows from the real module; a module that
// is missing or damaged is named, with the file that could not be shown.
#include "app/LoadedParts.h"
#include "app/frmMain.h"
#include "browser/FileListModel.h"
#include "core/SettingsStore.h"
#include "player/ui/PlayerViews.h"
#include "viewer/ui/frmMedia.h"
#include "web/WebEngineSetup.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "TodaysMedia.h"

namespace {
bool mapped(const QByteArray &library)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

QWidget *topLevel(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}
} // namespace

class TestOnDemand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    std::unique_ptr<frmMain> window(LoadedParts &parts)
    {
        auto w = std::make_unique<frmMain>(std::make_shared<SettingsStore>(m_dir.filePath("s.ini")), parts);
        w->Form_Load();
        w->show();
        w->goToFolder(m_dir.path());
        if (!QTest::qWaitFor([&] { return w->listModel()->names().contains("tone.wav"); }, 20000))
            return nullptr;
        return w;
    }
    static frmMedia *open(frmMain &w, const QString &name)
    {
        w.selectEntry(w.listModel()->names().indexOf(name) + 1);
        w.ShowMedia();
        return w.viewer(false);
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(todaysmedia::soxTone(m_dir.filePath("tone.wav"), &error, 0.5), qPrintable(error));
    }

    void partsLoadOnFirstUse()
    {
        QVERIFY(!mapped("libQt6WebEngineCore") && !mapped("libQt6Multimedia.so") && !mapped("libcdio"));
        LoadedParts parts({GW_PARTS_MODULE});
        auto w = window(parts);
        QVERIFY(w && !parts.isLoaded() && !mapped("libQt6Multimedia.so"));

        QPointer<frmMedia> v = open(*w, "tone.wav");
        QVERIFY(v);
        QVERIFY2(v->mdpMedia && v->mdpMedia->isVisible(), qPrintable(parts.problem()));
        QVERIFY(parts.isLoaded() && mapped("libQt6Multimedia.so"));
        QSignalSpy ended(v->mdpMedia, &MediaPlayerView::endOfStream);
        QVERIFY2(ended.wait(20000), qPrintable(v->mdpMedia->errorText()));
        QTRY_VERIFY(v.isNull());

        w->findChild<QAction *>("mnuReadme")->trigger();
        QWidget *browser = topLevel("frmBrowser");
        QVERIFY(browser && mapped("libQt6WebEngineCore"));
        QTRY_VERIFY_WITH_TIMEOUT(browser->windowTitle().contains("Glintwave Help"), 60000);
        browser->close();
    }

    void aMissingModuleIsNamed_data()
    {
        QTest::addColumn<QByteArray>("content");   // empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("damaged") << QByteArray("\x7f" "ELF not really");
    }
    void aMissingModuleIsNamed()
    {
        QFETCH(QByteArray, content);
        const QString module = m_dir.filePath(QStringLiteral("%1/glintwave-parts.so").arg(QTest::currentDataTag()));
        if (!content.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(module).path()));
            QFile f(module);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(content) == content.size());
        }
        LoadedParts parts({module});
        auto w = window(parts);
        QVERIFY(w);

        QPointer<frmMedia> v = open(*w, "tone.wav");
        QVERIFY(v && v->isVisible() && !v->mdpMedia);
        QVERIFY(v->lblProblem->isVisible());
        QVERIFY2(v->lblProblem->text().contains("\"tone.wav\"") && v->lblProblem->text().contains(module),
                 qPrintable(v->lblProblem->text()));
        v->close();

        // A window part says so in a message box over the main window.
        QString said;
        QTimer::singleShot(0, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                said = box->text();
                box->close();
            }
        });
        w->findChild<QAction *>("mnuReadme")->trigger();
        QVERIFY2(said.contains(module), qPrintable(said));
        QVERIFY(!topLevel("frmBrowser") && !parts.isLoaded());
    }
};

int main(int argc, char **argv)
{
    prepareWebEngineEnvironment();   // as the program does, before Qt starts
    QApplication app(argc, argv);
    TestOnDemand test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ondemand.moc"
