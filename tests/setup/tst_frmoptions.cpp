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
#include <functional>

namespace {

// Runs action on the next modal window of type T once it is up.
template <typename T>
void whenModal(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, action] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(w);
        } else if (++*tries > 250) {
            timer->stop();
            timer->deleteLater();
            qWarning("no modal window appeared");
        }
    });
    timer->start(20);
}

void loadFromStore(const QString &ini)
{
    SettingsStore store(ini);
    SettingsContext context;
    context.fontName = "DejaVu Sans";
    context.fontSize = 9;
    WindowSettings window;
    options() = OptionSet();
    readAllSettings(store, context, window, options());
}

void saveToStore(const QString &ini)
{
    SettingsStore store(ini);
    WindowSettings window;
    writeAllSettings(store, window, options());
    QVERIFY(store.sync());
}

QColor swatchShown(const frmOptions &d)
{
    return d.lblColour->palette().color(QPalette::Window);
}

} // namespace

class TestFrmOptions : public QObject
{
    Q_OBJECT
private slots:
    void init() { options() = OptionSet(); }
    void roundTripThroughTheStore();
    void handEditedValuesShowInRange();
    void edgeLabelFollowsReleaseNotDrag();
    void swatchFollowsTheDraggedThumb();
    void thumbnailBoxTakesDigitsOnly();
    void tabOrderAndAccessKeys();
    void fontAppliesAtOnceAndSurvivesCancel();
    void modalWindowWithItsCaption();
};

void TestFrmOptions::roundTripThroughTheStore()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("Glintwave.ini");
    {
        SettingsStore store(ini);
        const QList<QPair<QString, QString>> stored = {
            {"BgColour", "12615744"}, {"ThumbSize", "120"}, {"SlideDelay", "5"},
            {"VideoSize", "3"}, {"EdgeTuning", "40"}, {"ScaleBig", "1"}, {"ScaleSmall", "0"},
            {"TimingInfo", "1"}, {"UnknownAsText", "0"}, {"LoopSlide", "1"}, {"CDonTop", "0"},
        };
        for (const auto &kv : stored)
            store.SaveSetting(kv.first, kv.second);
        QVERIFY(store.sync());
    }
    loadFromStore(ini);

    {
        frmOptions d({"/"});
        QCOMPARE(d.txtThumbs->text(), QString("120"));
        QCOMPARE(d.txtSlideDelay->text(), QString("5"));
        QCOMPARE(d.vsbRed->value(), 64);
        QCOMPARE(d.vsbGreen->value(), 128);
        QCOMPARE(d.vsbBlue->value(), 192);
        QCOMPARE(swatchShown(d), QColor(64, 128, 192));
        QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:40"));
        QCOMPARE(d.cboVideoSize->count(), 8);
        QCOMPARE(d.cboVideoSize->currentText(), QString("Full Screen"));
        QVERIFY(d.chkScaleBig->isChecked() && !d.chkScaleSmall->isChecked());
        QVERIFY(d.chkTiming->isChecked() && !d.chkNA->isChecked());
        QVERIFY(d.chkLoopSlide->isChecked() && !d.chkCDtop->isChecked());
        // No optical drive here, and the stored "D:" is not in the list's form.
        QCOMPARE(d.cboCD->count(), 0);
        d.OKButton->click();
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }
    // OK with nothing touched gives back what was loaded.
    QCOMPARE(options().BgColour, 0x00C08040);
    QCOMPARE(options().ThumbSize, QString("120"));
    QCOMPARE(options().EdgeTuning, int16_t(40));
    QCOMPARE(options().CDPlaybackDrive, QString());

    {
        frmOptions d({"/"});
        d.txtThumbs->setText("12ab");          // pasted, so the key filter never saw it
        d.txtSlideDelay->setText("2.5");
        d.chkScaleSmall->setChecked(true);
        d.chkLoopSlide->setChecked(false);
        d.chkCDtop->setChecked(true);
        d.cboVideoSize->setCurrentIndex(6);
        d.vsbGreen->setValue(0);
        d.hsbEdge->setValue(100);
        d.OKButton->click();
    }
    saveToStore(ini);

    SettingsStore back(ini);
    QCOMPARE(back.GetSetting("ThumbSize", "?"), QString("12"));
    QCOMPARE(back.GetSetting("SlideDelay", "?"), QString("2.5"));
    QCOMPARE(back.GetSetting("BgColour", "?"), QString::number(0x00C00040));
    QCOMPARE(back.GetSetting("VideoSize", "?"), QString("6"));
    QCOMPARE(back.GetSetting("EdgeTuning", "?"), QString("100"));
    QCOMPARE(back.GetSetting("ScaleSmall", "?"), QString("1"));
    QCOMPARE(back.GetSetting("LoopSlide", "?"), QString("0"));
    QCOMPARE(back.GetSetting("CDonTop", "?"), QString("1"));
    QCOMPARE(back.GetSetting("CDPlaybackDrive", "?"), QString());

    // The next start shows what was kept.
    loadFromStore(ini);
    frmOptions again({"/"});
    QCOMPARE(again.txtThumbs->text(), QString("12"));
    QCOMPARE(again.txtSlideDelay->text(), QString("2.5"));
    QCOMPARE(again.vsbGreen->value(), 0);
    QCOMPARE(swatchShown(again), QColor(64, 0, 192));
    QCOMPARE(again.cboVideoSize->currentIndex(), 6);
    QCOMPARE(again.lblEdge->text(), QString("Edge Tuning:100"));
    QVERIFY(again.chkCDtop->isChecked() && again.chkScaleSmall->isChecked());
}

void TestFrmOptions::handEditedValuesShowInRange()
{
    OptionSet &o = options();
    o.ThumbSize = "0";
    o.SlideDelay = "0";
    o.VideoSize = 9;
    o.EdgeTuning = 500;
    o.BgColour = -1;
    o.LoopSlide = 2;     // only 1 loops: shown unticked
    o.ScaleBig = 2;      // any non-zero scales: shown ticked
    frmOptions d({});
    QCOMPARE(d.txtThumbs->text(), QString("8"));
    QCOMPARE(d.txtSlideDelay->text(), QString("0.5"));
    QCOMPARE(d.cboVideoSize->currentText(), QString("Original"));
    QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:150"));
    QVERIFY(!d.chkLoopSlide->isChecked());
    QVERIFY(d.chkScaleBig->isChecked());

    // Typing a value the slide timer cannot use shows the one it will get.
    d.txtSlideDelay->setText("0");
    emit d.txtSlideDelay->editingFinished();
    QCOMPARE(d.txtSlideDelay->text(), QString("0.5"));
    d.txtSlideDelay->setText("3 seconds");
    emit d.txtSlideDelay->editingFinished();
    QCOMPARE(d.txtSlideDelay->text(), QString("3 seconds"));

    d.OKButton->click();
    QCOMPARE(o.ThumbSize, QString("8"));
    QCOMPARE(o.SlideDelay, QString("3"));
    QCOMPARE(o.VideoSize, int16_t(0));
    QCOMPARE(o.EdgeTuning, int16_t(150));
    QCOMPARE(o.BgColour, 0x00FFFFFF);
    QCOMPARE(o.LoopSlide, int16_t(0));
    QCOMPARE(o.ScaleBig, int16_t(1));
}

void TestFrmOptions::edgeLabelFollowsReleaseNotDrag()
{
    options().EdgeTuning = 1;   // the bar's own start: no change, old caption
    frmOptions d({});
    QCOMPARE(d.lblEdge->text(), QString("Edge tuning"));

    d.hsbEdge->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:2"));
    d.hsbEdge->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:7"));

    d.hsbEdge->setSliderDown(true);
    d.hsbEdge->setSliderPosition(90);
    QCOMPARE(d.hsbEdge->value(), 90);
    QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:7"));
    d.hsbEdge->setSliderDown(false);
    QCOMPARE(d.lblEdge->text(), QString("Edge Tuning:90"));
}

void TestFrmOptions::swatchFollowsTheDraggedThumb()
{
    options().BgColour = 0;
    frmOptions d({});
    d.vsbRed->setSliderDown(true);
    d.vsbRed->setSliderPosition(200);
    QCOMPARE(swatchShown(d), QColor(200, 0, 0));
    QCOMPARE(d.swatchColour(), 200);
    d.vsbRed->setSliderDown(false);

    // The bars have their minimum at the top: a step down raises the channel.
    d.vsbBlue->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(d.vsbBlue->value(), 5);
    QCOMPARE(d.swatchColour(), 200 | (5 << 16));
    QVERIFY(!d.vsbBlue->invertedAppearance());
}

void TestFrmOptions::thumbnailBoxTakesDigitsOnly()
{
    options().ThumbSize = "100";
    frmOptions d({});
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));

    // A click into the box selects its whole text.
    d.txtSlideDelay->setFocus();
    QTest::mouseClick(d.txtThumbs, Qt::LeftButton, {}, QPoint(5, 5));
    QTRY_COMPARE(d.txtThumbs->selectedText(), QString("100"));

    QTest::keyClicks(d.txtThumbs, "1a2.3-");
    QCOMPARE(d.txtThumbs->text(), QString("123"));
    QTest::keyClick(d.txtThumbs, Qt::Key_Backspace);
    QCOMPARE(d.txtThumbs->text(), QString("12"));

    // Enter still reaches the default button.
    QTest::keyClick(d.txtThumbs, Qt::Key_Return);
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(options().ThumbSize, QString("12"));
}

void TestFrmOptions::tabOrderAndAccessKeys()
{
    frmOptions d({});
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.txtThumbs->setFocus();
    const QStringList expected = {"txtSlideDelay", "cboVideoSize", "cboCD", "chkTiming", "chkNA",
                                  "chkLoopSlide", "chkCDtop", "cmdFont", "chkScaleBig",
                                  "chkScaleSmall", "hsbEdge", "vsbRed", "vsbGreen", "vsbBlue",
                                  "OKButton", "CancelButton", "txtThumbs"};
    for (const QString &next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }

    // A label's access key goes to its control.
    QTest::keyClick(&d, Qt::Key_D, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), d.txtSlideDelay);
    QTest::keyClick(&d, Qt::Key_N, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), d.cmdFont);
}

void TestFrmOptions::fontAppliesAtOnceAndSurvivesCancel()
{
    OptionSet &o = options();
    o.ThumbSize = "100";
    o.TextFontName = "DejaVu Sans";
    o.TextFontSize = 10;
    frmOptions d({});
    QCOMPARE(d.cmdFont->text(), QString("DejaVu Sans"));
    QCOMPARE(d.cmdFont->font().pointSize(), 10);

    // Cancelling the font dialog keeps the font shown on the button.
    whenModal<QFontDialog>([](QFontDialog *f) { f->reject(); });
    d.cmdFont_Click();
    QCOMPARE(o.TextFontName, QString("DejaVu Sans"));
    QCOMPARE(o.TextFontSize, int16_t(10));
    QVERIFY(!o.TextFontBold);

    whenModal<QFontDialog>([](QFontDialog *f) {
        QFont chosen("Liberation Serif");
        chosen.setPointSizeF(14);
        chosen.setBold(true);
        chosen.setItalic(true);
        f->setCurrentFont(chosen);
        f->accept();
    });
    d.cmdFont_Click();
    // Applied the moment the font dialog closes...
    QCOMPARE(o.TextFontName, QString("Liberation Serif"));
    QCOMPARE(o.TextFontSize, int16_t(14));
    QVERIFY(o.TextFontBold);
    QVERIFY(o.TextFontItalic);
    QCOMPARE(d.cmdFont->text(), QString("Liberation Serif"));
    QCOMPARE(d.cmdFont->font().family(), QString("Liberation Serif"));

    // ...and kept when the dialog is cancelled; the other changes are not.
    d.txtThumbs->setText("300");
    d.chkCDtop->setChecked(true);
    d.CancelButton->click();
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(o.ThumbSize, QString("100"));
    QCOMPARE(o.CDonTop, int16_t(0));
    QCOMPARE(o.TextFontName, QString("Liberation Serif"));
}

void TestFrmOptions::modalWindowWithItsCaption()
{
    options().ThumbSize = "100";
    options().SlideDelay = "5";
    bool seen = false;
    QString title;
    QSize size;
    Qt::WindowFlags flags;
    whenModal<frmOptions>([&](frmOptions *d) {
        seen = true;
        title = d->windowTitle();
        size = d->size();
        flags = d->windowFlags();
        d->txtThumbs->setText("50");
        QTest::keyClick(d, Qt::Key_Escape);   // Esc is Cancel
    });
    QCOMPARE(showSetupDialog(nullptr, {}), int(QDialog::Rejected));
    QVERIFY(seen);
    QCOMPARE(title, QString("Setup"));
    QCOMPARE(size, QSize(402, 270));   // 6030 x 4050 twips
    QVERIFY(!(flags & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(options().ThumbSize, QString("100"));
}

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
