// Not a test: a photo tagged ProPhoto RGB three ways, side by side, saved to
// the path given: its numbers shown as if they were sRGB (what a viewer
// without colour management shows), the viewer's own screen, and littlecms's
// jpgicc conversion of the same file to sRGB. The last two should match.
// Run it under Xvfb, once as it is and once with QT_SCALE_FACTOR=2.
#include "core/AppState.h"
#include "core/OptionSet.h"
#include "viewer/ui/PictureBox.h"
#include "viewer/ui/frmMedia.h"

#include <QApplication>
#include <QColorSpace>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {
// Saturated patches and a hue sweep: where ProPhoto and sRGB differ most.
QImage patches()
{
    QImage image(360, 240, QImage::Format_RGB32);
    QPainter p(&image);
    const QColor colours[] = {QColor(200, 30, 40), QColor(40, 170, 60), QColor(40, 60, 190), QColor(220, 190, 40),
                              QColor(190, 60, 170), QColor(40, 170, 180), QColor(205, 150, 120), QColor(120, 120, 120)};
    for (int i = 0; i < 8; ++i)
        p.fillRect((i % 4) * 90, (i / 4) * 80, 90, 80, colours[i]);
    for (int x = 0; x < 360; ++x) {
        p.setPen(QColor::fromHsv(x, 255, 230));
        p.drawLine(x, 160, x, 239);
    }
    return image;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: colour_screenshot <png path>\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString tagged = dir.filePath("prophoto.jpg"), converted = dir.filePath("srgb.jpg");
    QImage photo = patches();
    photo.setColorSpace(QColorSpace::ProPhotoRgb);
    if (!photo.save(tagged, "JPEG", 98))
        return 1;
    if (QProcess::execute("jpgicc", {"-q100", "-t0", tagged, converted}) != 0)
        return 1;

    OptionSet options;
    options.ScaleBig = options.ScaleSmall = false;
    AppState state;
    frmMedia viewer(options, state);
    QSignalSpy shown(&viewer, &frmMedia::pictureShown);
    viewer.showPicture(tagged);
    if ((shown.isEmpty() && !shown.wait(20000)) || !QTest::qWaitForWindowExposed(&viewer))
        return 1;
    QTest::qWait(300);
    const qreal ratio = viewer.devicePixelRatioF();
    const QImage screen = viewer.grab().toImage();
    // The viewer draws one picture pixel per screen pixel, centred.
    QImage own = screen.copy(QRect(QPoint((screen.width() - 360) / 2, (screen.height() - 240) / 2), QSize(360, 240)));

    own.setDevicePixelRatio(1);   // placed below pixel for pixel
    QImage numbers(tagged);
    numbers.setColorSpace(QColorSpace());   // the numbers as they are, untouched
    const QImage reference(converted);
    // In screen pixels: the viewer shows one picture pixel on each.
    const int gap = qRound(12 * ratio), caption = qRound(28 * ratio);
    QImage sheet(3 * 360 + 4 * gap, 240 + caption + 2 * gap, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    QFont font = p.font();
    font.setPixelSize(qRound(13 * ratio));
    p.setFont(font);
    const QImage parts[] = {numbers, own, reference};
    const char *captions[] = {"ProPhoto numbers as sRGB", "Glintwave", "littlecms jpgicc to sRGB"};
    for (int i = 0; i < 3; ++i) {
        const int x = gap + i * (360 + gap);
        p.drawImage(x, gap, parts[i]);
        p.drawText(QRect(x - gap / 2, gap + 240, 360 + gap, caption), Qt::AlignCenter, captions[i]);
    }
    p.end();
    const QImage &out = sheet;
    return out.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
