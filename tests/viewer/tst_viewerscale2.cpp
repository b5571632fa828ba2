// The viewer on a desktop scaled by two: a picture at its own size covers
// as many screen pixels as it has, each one drawn once and sharp, and the
// scaling rule measures the screen in its own pixels.
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "effects/ViewerSession.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// Every pixel differs from its neighbours: any stretch or blur shows.
QImage pattern(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb((x * 7 + y) & 0xFF, (x + y * 5) & 0xFF, ((x ^ y) * 3) & 0xFF));
    return image;
}
} // namespace

class TestViewerScale2 : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    OptionSet m_options;
    AppState m_state;

    frmMedia *open(const QString &file)
    {
        auto *v = new frmMedia(m_options, m_state);
        QSignalSpy shown(v, &frmMedia::pictureShown);
        v->showPicture(file);
        if (shown.isEmpty())
            shown.wait(20000);
        return v;
    }

private slots:
    void ownSizeIsOnePixelPerScreenPixel()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        m_options.ScaleBig = true;
        m_options.ScaleSmall = false;
        const QImage source = pattern(300, 200);
        QVERIFY(source.save(m_dir.filePath("p.png")));
        QScopedPointer<frmMedia> v(open(m_dir.filePath("p.png")));
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
        QVERIFY(pattern(picture.width(), picture.height()).save(m_dir.filePath("wide.png")));
        QScopedPointer<frmMedia> v(open(m_dir.filePath("wide.png")));
        QCOMPARE(v->picMedia->picture().size(), picture);

        // Dragging moves it as far as the pointer went, in screen pixels.
        const QPoint before(v->session()->view().left, v->session()->view().top);
        QTest::mousePress(v->picMedia, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 15), v->picMedia->mapToGlobal(QPointF(30, 15)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(v->picMedia, &move);
        QTest::mouseRelease(v->picMedia, Qt::LeftButton, {}, QPoint(30, 15));
        QCOMPARE(QPoint(v->session()->view().left, v->session()->view().top), before + QPoint(40, 10));
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
