// The viewer on a desktop scaled by two: a picture at its own size covers
// as many screen pixels as it has, each one drawn once and sharp, and the
// scaling rule measures the screen in its own pixels.
#include "effects/ViewerSession.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"
#include "TestMedia.h"
#include "ViewerRig.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using testmedia::pattern;

class TestViewerScale2 : public QObject, ViewerRig {
    Q_OBJECT
private slots:
    void cleanup() { delete m_viewer; }

    void ownSizeIsOnePixelPerScreenPixel()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        m_options.ScaleBig = true;
        m_options.ScaleSmall = false;
        const QImage source = pattern(300, 200);
        QVERIFY(source.save(path("p.png")));
        QVERIFY(show(path("p.png")));
        frmMedia *v = m_viewer;
        QCOMPARE(v->picMedia->picture().size(), QSize(300, 200));
        QTRY_VERIFY(v->isVisible());
        const QImage shot = v->grab().toImage();
        QCOMPARE(shot.size(), v->screen()->geometry().size() * 2);
        // Centred on the screen's pixels, every pixel in its place.
        const QPoint at((shot.width() - 300) / 2, (shot.height() - 200) / 2);
        QCOMPARE(QPoint(v->session()->view().left, v->session()->view().top), at);
        int wrong = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x)
                wrong += (shot.pixel(at.x() + x, at.y() + y) & 0xFFFFFF) != (source.pixel(x, y) & 0xFFFFFF);
        QCOMPARE(wrong, 0);
        const QString folder = qEnvironmentVariable("GW_SCREENSHOTS");
        if (!folder.isEmpty())
            QVERIFY(shot.save(folder + "/viewer-own-size-scale2.png"));
    }

    void scalingRuleMeasuresScreenPixels()
    {
        // Wider than the screen in the desktop's units, narrower in its pixels:
        // shrinking it to fit would throw away detail the screen can show.
        const QSize logical = qApp->primaryScreen()->geometry().size();
        const QSize picture(logical.width() + 100, logical.height() / 2);
        m_options.ScaleBig = true;
        QVERIFY(pattern(picture.width(), picture.height()).save(path("wide.png")));
        QVERIFY(show(path("wide.png")));
        QCOMPARE(m_viewer->picMedia->picture().size(), picture);
    }
};

int main(int argc, char **argv)
{
    // The desktop's scale is fixed when the application starts.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestViewerScale2 test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_viewerscale2.moc"
