#pragma once
#include <QDialog>
#include <QStringList>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct OptionSet;
class QScrollBar;

// The setup dialog: changes the options that have no control of their own.
// OK copies its values into the run's options, Cancel drops them; the font
// button is the exception and applies its choice at once.
class frmOptions : public QDialog
{
    Q_OBJECT
public:
    // options: what the dialog shows and OK changes. driveEntries: the main
    // window's drive list entries, as that list shows them.
    frmOptions(OptionSet &options, const QStringList &driveEntries, QWidget *parent = nullptr);

    QLabel *lblThumbs;
    QLineEdit *txtThumbs;
    QLabel *lblSlideDelay;
    QLineEdit *txtSlideDelay;
    QLabel *lblVideoSize;
    QComboBox *cboVideoSize;
    QLabel *lblCDDrive;
    QComboBox *cboCD;
    QCheckBox *chkTiming;
    QCheckBox *chkNA;
    QCheckBox *chkLoopSlide;
    QCheckBox *chkCDtop;
    QLabel *lblFont;
    QPushButton *cmdFont;
    QCheckBox *chkScaleBig;
    QCheckBox *chkScaleSmall;
    QScrollBar *hsbEdge;
    QScrollBar *vsbRed;
    QScrollBar *vsbGreen;
    QScrollBar *vsbBlue;
    QPushButton *OKButton;
    QPushButton *CancelButton;
    QLabel *lblScaleIt;
    QLabel *lblBgcol;
    QLabel *lblColour;
    QLabel *lblEdge;

    // The swatch's colour as 0x00BBGGRR.
    int32_t swatchColour() const { return m_swatch; }

    void OKButton_Click();
    void CancelButton_Click();
    void cmdFont_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Form_Load(const QStringList &driveEntries);
    void hsbEdge_Change();
    void vsbColour_Change();
    void setSwatch(int32_t bgr);
    void showClampedNumber(QLineEdit *box, double (*clamp)(double));

    OptionSet &m_options;
    int32_t m_swatch = 0;
    int m_edgeAtPress = 0;
};

// Shows the setup dialog modally over parent; returns QDialog::Accepted after OK.
int showSetupDialog(QWidget *parent, OptionSet &options, const QStringList &driveEntries);
