// The setup dialog: what it shows from the options, what it keeps, and
// the font button.
#include "frmOptions.h"

#include "OptionSet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include "../info/WhenModal.h"

// The run's options, as the main window holds them.
static OptionSet &options()
{
    static OptionSet set;
    return set;
}

static QColor swatch(const frmOptions &d) { return d.lblColour->palette().color(QPalette::Window); }

class TestFrmOptions : public QObject
{
    Q_OBJECT
private slots:
    void init() { options() = OptionSet(); }
    void showsTheOptionsAndKeepsTheEdits()
    {
        OptionSet &o = options();
        o.BgColour = QColor(64, 128, 192);
        o.ThumbSize = 120;
        o.VideoSize = 3;
        o.ScaleBig = o.LoopSlide = true;
        bool modal = false;
        whenModal<frmOptions>([&](frmOptions *d) {
            modal = true;
            QCOMPARE(d->txtThumbs->text(), QString("120"));
            QCOMPARE(swatch(*d), QColor(64, 128, 192));
            QCOMPARE(d->cboVideoSize->currentText(), QString("Full Screen"));
            QVERIFY(d->chkScaleBig->isChecked() && !d->chkScaleSmall->isChecked() && d->chkLoopSlide->isChecked());
            d->txtThumbs->setText("12ab");   // pasted: the key filter never saw it
            d->txtSlideDelay->setText("2.5");
            d->chkLoopSlide->setChecked(false);
            d->cboVideoSize->setCurrentIndex(6);
            d->vsbGreen->setValue(0);   // red and blue stay as they were
            d->hsbEdge->setValue(100);
            d->OKButton->click();
        });
        QCOMPARE(showSetupDialog(nullptr, options(), {"/"}), int(QDialog::Accepted));
        QVERIFY(modal);
        QVERIFY(o.ThumbSize == 12 && o.SlideDelay == 2.5 && !o.LoopSlide && o.VideoSize == 6 && o.EdgeTuning == 100);
        QCOMPARE(o.BgColour, QColor(64, 0, 192));
    }

    void handEditedValuesShowInRange()
    {
        OptionSet &o = options();
        o.ThumbSize = 0;
        o.VideoSize = 9;
        o.EdgeTuning = 500;
        o.TextFontSize = 30000;
        frmOptions d(options(), {});
        QCOMPARE(d.cmdFont->font().pointSize(), 96);
        QCOMPARE(d.txtThumbs->text(), QString("8"));
        QCOMPARE(d.cboVideoSize->currentText(), QString("Original"));
        QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:150"));
        d.OKButton->click();
        QVERIFY(o.ThumbSize == 8 && o.VideoSize == 0 && o.EdgeTuning == 150);
    }

    void fontAppliesAtOnceAndSurvivesCancel()
    {
        OptionSet &o = options();
        o.ThumbSize = 100;
        o.TextFontName = "DejaVu Sans";
        o.TextFontSize = 10;
        frmOptions d(options(), {});
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
        QCOMPARE(o.ThumbSize, 100);
        QCOMPARE(o.TextFontName, QString("Liberation Serif"));
    }
};

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
