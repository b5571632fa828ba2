// Takes the web pages' screenshots for the docs: the help page and a
// generated gallery page, each in the page browser. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1280x1024x24" web_screenshots <output folder>
#include "web/HtmlPageWriter.h"
#include "web/ui/PageBrowser.h"
#include "web/WebEngineSetup.h"
#include "web/ui/frmBrowser.h"
#include "web/ui/frmHTML.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <cstdio>

namespace {
bool waitForPage(frmBrowser *w)
{
    const bool loaded = QTest::qWaitFor([w] { return !w->isBusy() && !w->timTimer->isActive(); }, 30000);
    QTest::qWait(800);   // let images and fonts settle
    return loaded;
}

bool save(QWidget *w, const QString &path)
{
    const bool ok = w->grab().toImage().convertToFormat(QImage::Format_RGB888).save(path, "PNG");
    std::printf("%s %s (%s)\n", ok ? "wrote" : "FAILED", qPrintable(path), qPrintable(w->windowTitle()));
    return ok;
}

QImage scene(int width, int height, QColor sky, QColor sun, QColor ground)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, height);
    g.setColorAt(0, sky.lighter(130));
    g.setColorAt(1, sky.darker(160));
    p.fillRect(image.rect(), g);
    QRadialGradient s(width * 0.65, height * 0.4, height * 0.25);
    s.setColorAt(0, sun);
    s.setColorAt(1, Qt::transparent);
    p.setBrush(s);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(width * 0.65, height * 0.4), height * 0.25, height * 0.25);
    p.setBrush(ground);
    QPolygonF hills;
    hills << QPointF(0, height);
    for (int x = 0; x <= width; x += width / 8)
        hills << QPointF(x, height * (0.7 + 0.08 * ((x / (width / 8)) % 3)));
    hills << QPointF(width, height);
    p.drawPolygon(hills);
    return image;
}
}

int main(int argc, char **argv)
{
    prepareWebEngineEnvironment();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    bool ok = true;

    // The help page.
    frmBrowser *help = showHelpPage();
    help->resize(860, 640);
    ok &= waitForPage(help);
    ok &= save(help, out + "/web-help.png");
    help->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A gallery of a small folder, thumbnails on, built through the dialog.
    QTemporaryDir dir;
    const struct { const char *name; QColor sky, sun, ground; int w, h; } pictures[] = {
        {"Sunset.jpg", QColor(230, 110, 60), QColor(255, 230, 120), QColor(60, 30, 40), 640, 400},
        {"Café Terrasse.jpg", QColor(70, 120, 200), QColor(255, 255, 220), QColor(40, 110, 60), 600, 450},
        {"Blue hour.bmp", QColor(40, 50, 120), QColor(200, 210, 255), QColor(20, 20, 50), 500, 375},
        {"Tom & Jerry #2.jpg", QColor(150, 200, 230), QColor(255, 250, 200), QColor(120, 90, 50), 640, 360},
        {"Meadow.jpg", QColor(120, 190, 240), QColor(255, 255, 255), QColor(90, 160, 60), 400, 300},
        {"Dunes.bmp", QColor(240, 200, 120), QColor(255, 255, 230), QColor(200, 140, 70), 640, 400},
        {"Night.jpg", QColor(10, 10, 40), QColor(240, 240, 200), QColor(5, 5, 15), 500, 500},
    };
    QStringList names;
    for (const auto &p : pictures) {
        scene(p.w, p.h, p.sky, p.sun, p.ground).save(dir.filePath(QString::fromUtf8(p.name)));
        names << QString::fromUtf8(p.name);
    }
    for (const char *other : {"notes.txt", "song.mp3"}) {
        QFile f(dir.filePath(other));
        f.open(QIODevice::WriteOnly);
        f.write("x");
        names << other;
    }
    auto *builder = new frmHTML([&] { return dir.path(); }, [&] { return names; });
    builder->show();
    builder->txtTitle->setText("Holiday 2026");
    builder->txtRow->setText("3");
    builder->chkThumbs->setChecked(true);
    builder->txtWidth->setText("140");
    QTest::qWait(200);
    ok &= save(builder, out + "/web-builder.png");
    builder->cmdOK->click();
    ok &= QTest::qWaitFor([&] { return QFileInfo::exists(dir.filePath("Untitled.htm")); }, 30000);

    frmBrowser *gallery = showPageBrowser(dir.filePath("Untitled.htm"));
    gallery->resize(760, 720);
    ok &= waitForPage(gallery);
    ok &= save(gallery, out + "/web-gallery.png");
    return ok ? 0 : 1;
}
