// The setup dialog: what it shows from the options, what it keeps, and
// the font button.
#include "frmOptions.h"

#include "OptionSet.h"
#include "SettingsStore.h"
#include "StoredOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include "../info/WhenModal.h"

// The run's options, as the main window holds them.
static OptionSet &options()
{
    static OptionSet set;
    return set;
}

static void loadFromStore(const QString &ini)
{
    SettingsStore store(ini);
    StoredSettings stored;
    readAllSettings(store, SettingsContext(), stored);
    options() = stored.options;
}

static QColor swatch(const frmOptions &d) { return d.lblColour->palette().color(QPalette::Window); }

class TestFrmOptions : public QObject
{
    Q_OBJECT
private slots:
    void init() { options() = OptionSet(); }
    void roundTripThroughTheStore()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath("Glintwave.ini");
        {
            SettingsStore store(ini);
            for (const auto &[key, value] : {std::pair{"BgColour", "12615744"}, {"ThumbSize", "120"},
                                             {"VideoSize", "3"}, {"ScaleBig", "1"}, {"LoopSlide", "1"}})
                store.SaveSetting(key, value);
            QVERIFY(store.sync());
        }
        loadFromStore(ini);
        {
            frmOptions d(options(), {"/"});
            QCOMPARE(d.txtThumbs->text(), QString("120"));
            QCOMPARE(swatch(d), QColor(64, 128, 192));
            QCOMPARE(d.cboVideoSize->currentText(), QString("Full Screen"));
            QVERIFY(d.chkScaleBig->isChecked() && !d.chkScaleSmall->isChecked() && d.chkLoopSlide->isChecked());
            QCOMPARE(d.cboCD->count(), 0);   // no optical drive on this machine
            d.OKButton->click();
        }
        QCOMPARE(options().BgColour, QColor(0x40, 0x80, 0xC0));   // untouched, it comes back the same
        QCOMPARE(options().CDPlaybackDrive, QString());   // "D:" matched no entry

        bool modal = false;
        whenModal<frmOptions>([&](frmOptions *d) {
            modal = true;
            d->txtThumbs->setText("12ab");   // pasted: the key filter never saw it
            d->txtSlideDelay->setText("2.5");
            d->chkLoopSlide->setChecked(false);
            d->chkCDtop->setChecked(true);
            d->cboVideoSize->setCurrentIndex(6);
            d->vsbGreen->setValue(0);
            d->hsbEdge->setValue(100);
            d->OKButton->click();
        });
        QCOMPARE(showSetupDialog(nullptr, options(), {"/"}), int(QDialog::Accepted));
        QVERIFY(modal);
        {
            SettingsStore store(ini);
            writeAllSettings(store, StoredSettings{WindowSettings(), options()});
            QVERIFY(store.sync());
        }
        SettingsStore back(ini);
        const QStringList keys = {"ThumbSize", "SlideDelay", "BgColour", "VideoSize",
                                  "EdgeTuning", "LoopSlide", "CDonTop", "CDPlaybackDrive"};
        QStringList stored;
        for (const QString &k : keys)
            stored << back.GetSetting(k, "?");
        QCOMPARE(stored, QStringList({"12", "2.5", QString::number(0x00C00040), "6", "100", "0", "1", ""}));
    }

    void handEditedValuesShowInRange()
    {
        OptionSet &o = options();
        o.ThumbSize = 0;
        o.SlideDelay = 0;
        o.VideoSize = 9;
        o.EdgeTuning = 500;
        o.ScaleBig = true;
        o.TextFontSize = 30000;
        frmOptions d(options(), {});
        QCOMPARE(d.cmdFont->font().pointSize(), 96);
        QCOMPARE(d.txtThumbs->text(), QString("8"));
        QCOMPARE(d.txtSlideDelay->text(), QString("0.5"));
        QCOMPARE(d.cboVideoSize->currentText(), QString("Original"));
        QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:150"));
        QVERIFY(!d.chkLoopSlide->isChecked() && d.chkScaleBig->isChecked());

        // A typed delay the timer cannot use is shown as the one it will get.
        d.txtSlideDelay->setText("0");
        emit d.txtSlideDelay->editingFinished();
        QCOMPARE(d.txtSlideDelay->text(), QString("0.5"));
        d.OKButton->click();
        QCOMPARE(o.SlideDelay, 0.5);
        QVERIFY(o.VideoSize == 0 && o.EdgeTuning == 150 && !o.LoopSlide && o.ScaleBig);
    }

    void fontAppliesAtOnceAndSurvivesCancel()
    {
        OptionSet &o = options();
        o.ThumbSize = 100;
        o.TextFontName = "DejaVu Sans";
        o.TextFontSize = 10;
        frmOptions d(options(), {});
        whenModal<QFontDialog>([](QFontDialog *f) { f->reject(); });
        d.cmdFont_Click();
        QVERIFY(o.TextFontName == "DejaVu Sans" && o.TextFontSize == 10 && !o.TextFontBold);
        whenModal<QFontDialog>([](QFontDialog *f) {
            QFont chosen("Liberation Serif");
            chosen.setPointSizeF(14);
            chosen.setBold(true);
            chosen.setItalic(true);
            f->setCurrentFont(chosen);
            f->accept();
        });
        d.cmdFont_Click();
        QVERIFY(o.TextFontName == "Liberation Serif" && o.TextFontSize == 14);
        QVERIFY(o.TextFontBold && o.TextFontItalic);
        QCOMPARE(d.cmdFont->text(), QString("Liberation Serif"));

        d.txtThumbs->setText("300");
        QTest::keyClick(&d, Qt::Key_Escape);   // Cancel: the font stays, the rest is dropped
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(o.ThumbSize, 100);
        QCOMPARE(o.TextFontName, QString("Liberation Serif"));
    }
};

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
