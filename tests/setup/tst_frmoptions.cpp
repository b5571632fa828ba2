// The setup dialog: edits reach the options it was given, hand-edited values
// are brought into range, and Cancel drops all but the font.
#include "setup/ui/frmOptions.h"

#include "core/OptionSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include "../info/WhenModal.h"

class TestFrmOptions : public QObject
{
    Q_OBJECT
    OptionSet o;   // the run's options, as the main window holds them
private slots:
    void init() { o = OptionSet(); }
    void editsReachTheOptions()
    {
        o.BgColour = QColor(64, 128, 192);
        o.VideoSize = 3;
        o.LoopSlide = true;
        whenModal<frmOptions>([&](frmOptions *d) {
            d->txtThumbs->setText("12ab");   // pasted: the key filter never saw it
            d->txtSlideDelay->setText("2.5");
            d->chkLoopSlide->setChecked(false);
            d->cboVideoSize->setCurrentIndex(6);
            d->vsbGreen->setValue(0);   // red and blue stay as they were
            d->hsbEdge->setValue(100);
            d->OKButton->click();
        });
        QCOMPARE(showSetupDialog(nullptr, o, {"/"}), int(QDialog::Accepted));
        QVERIFY(o.ThumbSize == 12 && o.SlideDelay == 2.5 && !o.LoopSlide && o.VideoSize == 6 && o.EdgeTuning == 100);
        QCOMPARE(o.BgColour, QColor(64, 0, 192));
    }

    void handEditedValuesShowInRange()
    {
        o.ThumbSize = 0;
        o.VideoSize = 9;
        o.EdgeTuning = 500;
        o.TextFontSize = 30000;
        frmOptions d(o, {});
        QCOMPARE(d.cmdFont->font().pointSize(), 96);
        QCOMPARE(d.txtThumbs->text(), QString("8"));
        d.OKButton->click();
        QVERIFY(o.ThumbSize == 8 && o.VideoSize == 0 && o.EdgeTuning == 150);
    }

    void fontAppliesAtOnceAndSurvivesCancel()
    {
        o.ThumbSize = 100;
        frmOptions d(o, {});
        whenModal<QFontDialog>([](QFontDialog *f) {
            QFont chosen("Liberation Serif");
            chosen.setPointSizeF(14);
            chosen.setBold(true);
            f->setCurrentFont(chosen);
            f->accept();
        });
        d.cmdFont_Click();
        QVERIFY(o.TextFontName == "Liberation Serif" && o.TextFontSize == 14 && o.TextFontBold);

        d.txtThumbs->setText("300");
        QTest::keyClick(&d, Qt::Key_Escape);   // Cancel: the font stays, the rest is dropped
        QCOMPARE(o.ThumbSize, 100.0);
        QCOMPARE(o.TextFontName, QString("Liberation Serif"));
    }
};

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
