// The gallery of a folder of awkward names (":", "?", "<", ">") and a 1 x 118
// strip, built through the HTML builder with thumbnails and opened in the page
// browser once every image has loaded. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" gallery_screenshot <output.png>
// Prints how many of the page's images loaded; fails unless all did.
#include "web/ui/PageBrowser.h"
#include "web/WebEngineSetup.h"
#include "web/ui/frmBrowser.h"
#include "web/ui/frmHTML.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

namespace {
QImage scene(int width, int height, QColor top, QColor bottom)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(image.rect(), g);
    if (width > 10) {
        p.setPen(QPen(Qt::white, width / 60 + 1));
        p.drawEllipse(QRectF(width * 0.3, height * 0.25, width * 0.4, height * 0.5));
    }
    return image;
}

// "loaded/total" for the page's images: loaded means decoded with a size.
QString imageCount(QWebEngineView *view)
{
    QString answer;
    view->page()->runJavaScript(
        "(function(){var i=Array.from(document.images);"
        "return i.filter(function(x){return x.complete&&x.naturalWidth>0;}).length+'/'+i.length;})()",
        [&answer](const QVariant &v) { answer = v.toString(); });
    QTest::qWaitFor([&answer] { return !answer.isEmpty(); }, 5000);
    return answer;
}
} // namespace

int main(int argc, char **argv)
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery.png");

    QTemporaryDir dir;
    scene(640, 400, QColor(230, 110, 60), QColor(60, 30, 90)).save(dir.filePath("time 12:30.jpg"));
    scene(300, 450, QColor(70, 160, 220), QColor(30, 90, 40)).save(dir.filePath("what?.jpg"));
    // Qt writes no GIF: ImageMagick makes one.
    const QString png = dir.filePath("gif-source.png");
    scene(200, 120, QColor(250, 220, 80), QColor(200, 60, 120)).save(png);
    if (QProcess::execute("convert", {png, "GIF:" + dir.filePath("a<b>.gif")}) != 0)
        return 1;
    QFile::remove(png);
    scene(1, 118, Qt::black, Qt::red).save(dir.filePath("strip 1x118.bmp"));
    const QStringList names = {"time 12:30.jpg", "what?.jpg", "a<b>.gif", "strip 1x118.bmp"};

    auto *builder = new frmHTML([&] { return dir.path(); }, [&] { return names; });
    builder->show();
    builder->txtTitle->setText("Awkward names");
    builder->txtRow->setText("4");
    builder->chkThumbs->setChecked(true);
    builder->txtWidth->setText("100");
    builder->cmdOK->click();
    if (!QTest::qWaitFor([&] { return QFileInfo::exists(dir.filePath("Untitled.htm")); }, 30000))
        return 1;

    frmBrowser *gallery = showPageBrowser(dir.filePath("Untitled.htm"));
    gallery->resize(720, 420);
    QTest::qWaitFor([gallery] { return !gallery->isBusy() && !gallery->timTimer->isActive(); }, 30000);
    QString count;
    QTest::qWaitFor([&] {
        count = imageCount(gallery->brwWebBrowser);
        return count == "4/4";
    }, 10000);
    QTest::qWait(500);   // the last paint
    const bool saved = gallery->grab().toImage().convertToFormat(QImage::Format_RGB888).save(out, "PNG");
    std::printf("images loaded: %s; %s %s\n", qPrintable(count), saved ? "wrote" : "FAILED", qPrintable(out));
    return saved && count == "4/4" ? 0 : 1;
}
