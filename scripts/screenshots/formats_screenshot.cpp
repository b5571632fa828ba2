// Not a test: the Thumbnails view of a folder holding one file of every
// kind Glintwave lists, old and new, plus a PNG and a text file without an
// extension, saved as the picture given as the first argument (run under
// Xvfb). The files are made here, as the tests make theirs.
#include "browser/FileListModel.h"
#include "core/OptionSet.h"
#include "PlayerTestMedia.h"
#include "core/SettingsStore.h"
#include "SwfWriter.h"
#include "TodaysMedia.h"
#include "app/LinkedParts.h"
#include "app/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QListView>
#include <QPainter>
#include "core/ui/TabRows.h"
#include <QTemporaryDir>
#include <QtTest>

namespace {
bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A small scene, so the picture thumbnails are recognisable.
QImage scene()
{
    QImage image(120, 80, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 80);
    sky.setColorAt(0, QColor(70, 130, 220));
    sky.setColorAt(1, QColor(200, 230, 255));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor(250, 210, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(90, 22), 12, 12);
    p.setBrush(QColor(40, 140, 60));
    p.drawRect(0, 55, 120, 25);
    return image;
}
} // namespace

int main(int argc, char **argv)
{
    testmedia::prepareEnvironment();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::current().filePath("thumbs.png");
    QTemporaryDir dir;
    const QString media = dir.filePath("Every kind");
    QDir().mkpath(media);
    QString error;
    // Today's kinds.
    for (const QString &kind : todaysmedia::pictureKinds() + todaysmedia::audioKinds() + todaysmedia::videoKinds())
        if (todaysmedia::make(media, kind, &error, "new").isEmpty())
            qFatal("%s", qPrintable(error));
    // The classic kinds.
    const QImage picture = scene();
    for (const char *f : {"jpg", "bmp"})
        picture.save(media + "/old." + f);
    // The new pictures show the scene too, the drawing a drawing of it.
    const QMap<QString, QString> writer{{"png", "PNG"},   {"webp", "WEBP"}, {"tif", "TIFF"}, {"tiff", "TIFF"},
                                        {"heic", "HEIC"}, {"heif", "HEIC"}, {"avif", "AVIF"}};
    for (auto it = writer.begin(); it != writer.end(); ++it)
        todaysmedia::runTool("convert", {media + "/old.bmp", it.value() + ":" + media + "/new." + it.key()}, &error);
    write(media + "/new.svg",
          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"120\" height=\"80\">"
          "<rect width=\"120\" height=\"55\" fill=\"#5a8ad8\"/><rect y=\"55\" width=\"120\" height=\"25\" "
          "fill=\"#288c3c\"/><circle cx=\"90\" cy=\"22\" r=\"12\" fill=\"#fad228\"/>"
          "<path d=\"M10 55 L40 20 L70 55 Z\" fill=\"#6b6b6b\"/></svg>\n");
    todaysmedia::runTool("convert", {media + "/old.jpg", media + "/old.gif"}, &error);
    todaysmedia::runTool("convert", {media + "/old.jpg", "-resize", "48x32", media + "/old.ico"}, &error);
    write(media + "/old.wmf", QByteArray(22, '\0'));
    QFile::copy(media + "/new.png", media + "/snapshot");
    for (const char *kind : {"wav", "mp3", "au", "mid", "mpg", "avi", "asf"})
        testmedia::makeClip(media, kind, &error);
    write(media + "/movie.swf", buildSwf(SwfMovieShape{}));
    write(media + "/notes.txt", "Plain text\n");
    write(media + "/notes", "Plain text without an extension\n");
    write(media + "/page.htm", "<html><body>A page</body></html>\n");

    LinkedParts parts;

    frmMain w(std::make_shared<SettingsStore>(dir.filePath("s.ini")), parts);
    w.Form_Load();
    w.options().ThumbSize = 64;
    w.resize(1000, 720);
    w.show();
    w.goToFolder(media);
    w.chkFilter[0]->setChecked(true);   // "All Files": the extensionless two as well
    w.chkFilter_Click(0);
    w.mnuThumbs_Click();
    w.tbsMedia->setCurrentIndex(2);   // the Picture page, with its new box
    const int files = int(QDir(media).entryList(QDir::Files).size());
    if (!QTest::qWaitFor([&] { return w.listModel()->rowCount() == files; }, 30000))
        qFatal("only %d of %d thumbnails", w.listModel()->rowCount(), files);
    QTest::qWait(500);
    return w.grab().save(out) ? 0 : 1;
}
