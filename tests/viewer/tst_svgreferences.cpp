// An SVG drawn as a browser draws an SVG picture: nothing from other files.
#include "viewer/SvgReferences.h"
#include "HostilePictures.h"
#include "TestFiles.h"
#include "viewer/PictureLoader.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

class TestSvgReferences : public QObject {
    Q_OBJECT
private slots:
    void theLoaderDrawsNothingFromOtherFiles()
    {
        // Through the one loader, as the viewer, the thumbnails and the batch
        // mode read a drawing: one that names itself used to overflow the stack.
        QTemporaryDir dir;
        QImage green(100, 100, QImage::Format_RGB32);
        green.fill(Qt::green);
        QVERIFY(green.save(dir.filePath("private.png")));
        QVERIFY(testfiles::writeFile(dir.filePath("self.svg"), hostile::svgDrawing(100, 100, dir.filePath("self.svg"))));
        const LoadedPicture self = PictureLoader::load(dir.filePath("self.svg"), Qt::white);
        QVERIFY2(self.ok(), qPrintable(self.error));
        // Blank lines before the drawing do not take it past our decoder.
        for (const QByteArray &lead : {QByteArray(), QByteArray("\n\n  ")}) {
            QVERIFY(testfiles::writeFile(dir.filePath("peek.svg"), lead + hostile::svgDrawing(100, 100, dir.filePath("private.png"))));
            const LoadedPicture peek = PictureLoader::load(dir.filePath("peek.svg"), Qt::white);
            QVERIFY2(peek.ok(), qPrintable(peek.error));
            QCOMPARE(peek.image.pixelColor(50, 50), QColor(Qt::white));   // nothing of private.png
            QCOMPARE(peek.image.pixelColor(5, 5), QColor(0xcc, 0, 0));      // its own drawing stays
        }
    }

    void picturesInsideTheFileStay()
    {
        const QByteArray inside = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\">"
                                  "<defs><rect id=\"r\" width=\"5\" height=\"5\"/></defs><use xlink:href=\"#r\"/>"
                                  "<image xlink:href=\"data:image/png;base64,iVBORw0KGgo=\"/></svg>";
        const QByteArray kept = svgWithoutOutsideReferences(inside);
        QVERIFY(kept.contains("xlink:href=\"#r\"") && kept.contains("data:image/png"));
        QCOMPARE(svgWithoutOutsideReferences("<svg><unclosed></svg>"), QByteArray());
    }
};

QTEST_MAIN(TestSvgReferences)
#include "tst_svgreferences.moc"
