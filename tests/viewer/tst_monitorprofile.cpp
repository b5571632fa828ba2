// A monitor that publishes its colour profile on the X server: the viewer
// draws the picture in that monitor's colours, as littlecms's transicc
// converts them, and as it is when no profile is published.
#include "ViewerRig.h"
#include "viewer/ui/frmMedia.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <xcb/xcb.h>

#include "IccProfiles.h"
#include "TestFiles.h"
#include "TestPictures.h"

namespace {
using namespace testpictures;

// Publishes icc as the first monitor's profile, as colour managers do
// (empty: takes it away).
void publish(const QByteArray &icc)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11->connection();
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 12, "_ICC_PROFILE"), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (icc.isEmpty())
        xcb_delete_property(c, root, atom->atom);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_CARDINAL, 8, uint32_t(icc.size()),
                            icc.constData());
    free(atom);
    xcb_flush(c);
}
} // namespace

class TestMonitorProfile : public QObject, ViewerRig {
    Q_OBJECT

    // The colour the screen shows at the centre of a viewer showing colour,
    // once it is expected (or what it shows when that never comes).
    QColor shown(const QColor &colour, const QColor &expected)
    {
        const QString path = m_dir.filePath("patch.png");
        if (!solid(64, 64, colour).save(path))
            return {};
        frmMedia viewer(m_options, m_state);
        QSignalSpy drawn(&viewer, &frmMedia::pictureShown);
        viewer.showPicture(path);
        if ((drawn.isEmpty() && !drawn.wait(20000)) || !QTest::qWaitForWindowExposed(&viewer))
            return {};
        const QPoint centre = viewer.screen()->geometry().center();
        QColor seen;
        QTest::qWaitFor([&] {
            seen = viewer.screen()->grabWindow(0).toImage().pixelColor(centre);
            return near(seen.rgb(), expected.rgb(), 2);
        }, 5000);
        return seen;
    }

private slots:
    void pictureIsDrawnInTheMonitorsColours()
    {
        const QColor red(230, 20, 40);
        const QString swapped = m_dir.filePath("swapped.icc");
        QVERIFY(testfiles::writeFile(swapped, iccprofiles::rgbProfile("Swapped", iccprofiles::SwappedRedGreen, 2.2)));
        const QColor want = iccprofiles::transicc("*sRGB", swapped, red);
        QVERIFY(want.isValid() && want.green() > want.red());   // this monitor's green channel shows red

        publish(testfiles::readAll(swapped));
        const QColor onMonitor = shown(red, want);
        publish({});
        QVERIFY2(near(onMonitor.rgb(), want.rgb(), 2), qPrintable(QString("shows %1, transicc says %2")
                                                                     .arg(onMonitor.name(), want.name())));
        QCOMPARE(shown(red, red), red);   // no profile: the picture's own numbers
    }
};

QTEST_MAIN(TestMonitorProfile)
#include "tst_monitorprofile.moc"
