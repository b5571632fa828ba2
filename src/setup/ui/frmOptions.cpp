#include "setup/ui/frmOptions.h"

#include "core/ui/Module1.h"
#include "core/NumberText.h"
#include "core/OptionSet.h"
#include "setup/SetupRules.h"
#include "core/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

template <typename W>
W *place(W *w, int left, int top, int width, int height)
{
    w->setGeometry(twips::toPixels(left), twips::toPixels(top),
                   twips::toPixels(width), twips::toPixels(height));
    return w;
}

QScrollBar *makeBar(QWidget *parent, Qt::Orientation o, int min, int max)
{
    auto *bar = new QScrollBar(o, parent);
    bar->setRange(min, max);
    bar->setPageStep(5);
    bar->setSingleStep(1);
    bar->setFocusPolicy(Qt::StrongFocus);   // reachable by Tab, like the other controls
    return bar;
}

const char *const VideoSizes[setup::VideoSizeCount] = {
    "Original", "Half Size", "Double Size", "Full Screen",
    "1/9 Screen", "1/16 Screen", "1/4 Screen", "1/2 Screen",
};

} // namespace

frmOptions::frmOptions(OptionSet &options, const QStringList &driveEntries, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_options(options)
{
    setObjectName("frmOptions");
    setWindowTitle("Setup");
    setFixedSize(twips::toPixels(6030), twips::toPixels(4050));
    buildControls();
    Form_Load(driveEntries);
}

void frmOptions::buildControls()
{
    // The layout is drawn for a small sans-serif dialog font of Arial's metrics
    // (fontconfig gives Liberation Sans where Arial itself is missing).
    QFont small("Arial");
    small.setPointSize(8);
    setFont(small);

    lblThumbs = place(new QLabel("&Thumbnail Size", this), 240, 240, 1080, 195);
    txtThumbs = place(new QLineEdit(this), 1440, 220, 735, 285);
    lblSlideDelay = place(new QLabel("Slide &Delay", this), 240, 615, 795, 195);
    txtSlideDelay = place(new QLineEdit(this), 1440, 600, 735, 285);
    lblVideoSize = place(new QLabel("&Video Size", this), 240, 1080, 750, 195);
    cboVideoSize = place(new QComboBox(this), 1200, 1005, 1815, 315);
    lblCDDrive = place(new QLabel("Drive for &CD Playback", this), 240, 1420, 1575, 195);
    cboCD = place(new QComboBox(this), 1920, 1380, 1095, 315);
    chkTiming = place(new QCheckBox("Display Timing &Info", this), 240, 1800, 3015, 195);
    chkNA = place(new QCheckBox("Open &Unrecognised files as Text", this), 240, 2040, 3015, 195);
    chkLoopSlide = place(new QCheckBox("Loop Slideshow &Forever", this), 240, 2280, 3015, 195);
    chkCDtop = place(new QCheckBox("CD Window &Always on Top", this), 240, 2520, 3015, 195);
    lblFont = place(new QLabel("Text Viewer Fo&nt : (click on button to choose font)", this),
                    240, 2760, 3540, 195);
    cmdFont = place(new QPushButton(this), 240, 3000, 4335, 975);
    chkScaleBig = place(new QCheckBox("&larger than screen", this), 2520, 480, 1695, 195);
    chkScaleSmall = place(new QCheckBox("&smaller than screen", this), 2520, 720, 1695, 195);
    hsbEdge = place(makeBar(this, Qt::Horizontal, setup::EdgeMin, setup::EdgeMax), 4680, 1770, 1195, 200);
    vsbRed = place(makeBar(this, Qt::Vertical, 0, 255), 5160, 2760, 200, 1215);
    vsbGreen = place(makeBar(this, Qt::Vertical, 0, 255), 5400, 2760, 200, 1215);
    vsbBlue = place(makeBar(this, Qt::Vertical, 0, 255), 5640, 2760, 200, 1215);
    OKButton = place(new QPushButton("OK", this), 4680, 120, 1215, 375);
    CancelButton = place(new QPushButton("Cancel", this), 4680, 600, 1215, 375);
    lblScaleIt = place(new QLabel("Scale image when:", this), 2400, 240, 1350, 195);
    lblBgcol = place(new QLabel("GIF Background Colour", this), 4680, 2040, 1185, 435);
    lblColour = place(new QLabel(this), 4695, 2760, 300, 1215);
    lblEdge = place(new QLabel("Edge tuning", this), 4680, 1550, 1185, 195);
    // Wide enough for the longest caption it takes, "Edge Tuning:150".
    lblEdge->resize(std::max(lblEdge->width(),
                             lblEdge->fontMetrics().horizontalAdvance("Edge Tuning:150") + 2),
                    lblEdge->height());

    // Named as the controls are known elsewhere (tests, style sheets).
    const std::pair<QWidget *, const char *> named[] = {
        {lblThumbs, "lblThumbs"}, {txtThumbs, "txtThumbs"}, {lblSlideDelay, "lblSlideDelay"},
        {txtSlideDelay, "txtSlideDelay"}, {lblVideoSize, "lblVideoSize"}, {cboVideoSize, "cboVideoSize"},
        {lblCDDrive, "lblCDDrive"}, {cboCD, "cboCD"}, {chkTiming, "chkTiming"},
        {chkNA, "chkNA"}, {chkLoopSlide, "chkLoopSlide"}, {chkCDtop, "chkCDtop"},
        {lblFont, "lblFont"}, {cmdFont, "cmdFont"}, {chkScaleBig, "chkScaleBig"},
        {chkScaleSmall, "chkScaleSmall"}, {hsbEdge, "hsbEdge"}, {vsbRed, "vsbRed"},
        {vsbGreen, "vsbGreen"}, {vsbBlue, "vsbBlue"}, {OKButton, "OKButton"},
        {CancelButton, "CancelButton"}, {lblScaleIt, "lblScaleIt"}, {lblBgcol, "lblBgcol"},
        {lblColour, "lblColour"}, {lblEdge, "lblEdge"},
    };
    for (const auto &[w, name] : named)
        w->setObjectName(QString::fromLatin1(name));

    // Captions are never cut: a label or check box whose text needs more room
    // than drawn for takes it (nothing lies to their right within that width).
    for (QWidget *w : std::initializer_list<QWidget *>{
             lblThumbs, lblSlideDelay, lblVideoSize, lblCDDrive, chkTiming, chkNA, chkLoopSlide,
             chkCDtop, lblFont, chkScaleBig, chkScaleSmall, lblScaleIt, lblEdge}) {
        if (w->sizeHint().width() > w->width())
            w->resize(w->sizeHint().width(), w->height());
    }

    // Two lines as drawn need the last few pixels up to the dialog's edge.
    lblBgcol->resize(width() - lblBgcol->x() - 2, lblBgcol->height());
    lblBgcol->setWordWrap(true);
    lblBgcol->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblColour->setAutoFillBackground(true);
    lblColour->setFrameShape(QFrame::Box);

    // A label's access key moves to the control that follows it.
    lblThumbs->setBuddy(txtThumbs);
    lblSlideDelay->setBuddy(txtSlideDelay);
    lblVideoSize->setBuddy(cboVideoSize);
    lblCDDrive->setBuddy(cboCD);
    lblFont->setBuddy(cmdFont);

    cboVideoSize->setEditable(false);
    cboCD->setEditable(false);
    cmdFont->setAutoDefault(false);
    CancelButton->setAutoDefault(false);
    OKButton->setDefault(true);

    QWidget *const order[] = {txtThumbs, txtSlideDelay, cboVideoSize, cboCD, chkTiming,
                              chkNA, chkLoopSlide, chkCDtop, cmdFont, chkScaleBig,
                              chkScaleSmall, hsbEdge, vsbRed, vsbGreen, vsbBlue,
                              OKButton, CancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    txtThumbs->installEventFilter(this);
    connect(txtThumbs, &QLineEdit::editingFinished, this,
            [this] { showClampedNumber(txtThumbs, setup::clampThumbSize); });
    connect(txtSlideDelay, &QLineEdit::editingFinished, this,
            [this] { showClampedNumber(txtSlideDelay, setup::clampSlideDelay); });

    // The edge label follows the bar when the thumb is released or stepped,
    // not while it is dragged.
    connect(hsbEdge, &QScrollBar::valueChanged, this, [this] {
        if (!hsbEdge->isSliderDown())
            hsbEdge_Change();
    });
    connect(hsbEdge, &QScrollBar::sliderPressed, this, [this] { m_edgeAtPress = hsbEdge->value(); });
    connect(hsbEdge, &QScrollBar::sliderReleased, this, [this] {
        if (hsbEdge->value() != m_edgeAtPress)
            hsbEdge_Change();
    });
    // The swatch follows the colour thumbs while they are dragged.
    for (QScrollBar *bar : {vsbRed, vsbGreen, vsbBlue})
        connect(bar, &QScrollBar::valueChanged, this, [this] { vsbColour_Change(); });

    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(cmdFont, &QPushButton::clicked, this, [this] { cmdFont_Click(); });
}

void frmOptions::Form_Load(const QStringList &driveEntries)
{
    const OptionSet &o = m_options;

    txtThumbs->setText(setup::numberText(o.ThumbSize));
    showClampedNumber(txtThumbs, setup::clampThumbSize);
    txtSlideDelay->setText(setup::numberText(o.SlideDelay));
    showClampedNumber(txtSlideDelay, setup::clampSlideDelay);

    chkScaleBig->setChecked(o.ScaleBig);
    chkScaleSmall->setChecked(o.ScaleSmall);
    chkTiming->setChecked(o.TimingInfo);
    chkLoopSlide->setChecked(o.LoopSlide);

    for (const char *size : VideoSizes)
        cboVideoSize->addItem(QString::fromLatin1(size));
    cboVideoSize->setCurrentIndex(setup::videoSizeIndex(o.VideoSize));

    const QColor bg = o.BgColour;
    setSwatch(setup::joinColour(bg.red(), bg.green(), bg.blue()));
    vsbBlue->setValue(bg.blue());
    vsbGreen->setValue(bg.green());
    vsbRed->setValue(bg.red());

    chkNA->setChecked(o.UnknownAsText);

    const setup::CdChoice cd = setup::chooseCdDrives(driveEntries, o.CDPlaybackDrive,
                                                     [](QString &d) { return Module1::IsCDDrive(d); });
    cboCD->addItems(cd.entries);
    cboCD->setCurrentIndex(cd.selected);

    QFont f = cmdFont->font();
    if (!o.TextFontName.isEmpty())
        f.setFamily(o.TextFontName);
    // A hand-edited size in the thousands would render glyphs of gigabytes.
    if (o.TextFontSize > 0)
        f.setPointSize(std::min<int>(o.TextFontSize, setup::FontSizeMax));
    f.setBold(o.TextFontBold);
    f.setItalic(o.TextFontItalic);
    cmdFont->setFont(f);
    cmdFont->setText(o.TextFontName);

    hsbEdge->setValue(setup::clampEdge(o.EdgeTuning));

    chkCDtop->setChecked(o.CDonTop);
}

void frmOptions::showClampedNumber(QLineEdit *box, double (*clamp)(double))
{
    // Only a value the program cannot use is rewritten; anything else stays as typed.
    const double value = leadingNumber(box->text());
    const double kept = clamp(value);
    if (kept != value)
        box->setText(setup::numberText(kept));
}

void frmOptions::hsbEdge_Change()
{
    lblEdge->setText(QString("Edge Tuning:%1").arg(hsbEdge->value()));
}

void frmOptions::vsbColour_Change()
{
    setSwatch(setup::joinColour(vsbRed->value(), vsbGreen->value(), vsbBlue->value()));
}

void frmOptions::setSwatch(int32_t bgr)
{
    m_swatch = bgr;
    const setup::Rgb c = setup::splitColour(bgr);
    QPalette p = lblColour->palette();
    p.setColor(QPalette::Window, QColor(c.red, c.green, c.blue));
    lblColour->setPalette(p);
}

bool frmOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtThumbs) {
        if (event->type() == QEvent::FocusIn) {
            // After the click that gave the focus has placed the caret.
            QPointer<QLineEdit> box = txtThumbs;
            QTimer::singleShot(0, this, [box] {
                if (box && box->hasFocus())
                    Module1::SelectAllText();
            });
        } else if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent *>(event)->text();
            // Control characters (Enter, Tab, Ctrl+V ...) are not typed text:
            // they keep their usual meaning. Backspace is let through by FilterKey.
            if (!text.isEmpty() && (text[0].unicode() >= 32 || text[0].unicode() == 8)) {
                const int16_t code = static_cast<int16_t>(text[0].unicode());
                if (Module1::FilterKey(code, "0123456789") == 0)
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmOptions::cmdFont_Click()
{
    const QFont preset = cmdFont->font();
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, preset, this);
    if (!ok)
        chosen = preset;

    cmdFont->setFont(chosen);
    cmdFont->setText(chosen.family());

    OptionSet &o = m_options;
    o.TextFontName = chosen.family();
    double points = chosen.pointSizeF();
    if (points <= 0)
        points = QFontInfo(chosen).pointSizeF();
    // Halves go to the even neighbour, as the settings store rounds.
    o.TextFontSize = static_cast<int>(std::nearbyint(points));
    o.TextFontBold = chosen.bold();
    o.TextFontItalic = chosen.italic();
}

void frmOptions::OKButton_Click()
{
    OptionSet &o = m_options;
    o.ThumbSize = setup::thumbSizeFromText(txtThumbs->text());
    o.SlideDelay = setup::slideDelayFromText(txtSlideDelay->text());
    o.ScaleBig = chkScaleBig->isChecked();
    o.ScaleSmall = chkScaleSmall->isChecked();
    o.TimingInfo = chkTiming->isChecked();
    o.VideoSize = setup::videoSizeIndex(cboVideoSize->currentIndex());
    const setup::Rgb swatch = setup::splitColour(m_swatch);
    o.BgColour = QColor(swatch.red, swatch.green, swatch.blue);
    o.UnknownAsText = chkNA->isChecked();
    o.CDPlaybackDrive = cboCD->currentIndex() >= 0 ? cboCD->currentText() : QString();
    o.EdgeTuning = hsbEdge->value();
    o.LoopSlide = chkLoopSlide->isChecked();
    o.CDonTop = chkCDtop->isChecked();
    accept();
}

void frmOptions::CancelButton_Click()
{
    reject();
}

int showSetupDialog(QWidget *parent, OptionSet &options, const QStringList &driveEntries)
{
    frmOptions dialog(options, driveEntries, parent);
    return dialog.exec();
}
