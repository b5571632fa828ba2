#include "info/ui/frmAbout.h"

#include "info/AboutText.h"
#include "info/ui/LinkLabel.h"
#include "info/SysInfo.h"
#include "core/Twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>

namespace {

template <typename W>
W *place(W *w, int left, int top, int width, int height)
{
    w->setGeometry(twips::toPixels(left), twips::toPixels(top),
                   twips::toPixels(width), twips::toPixels(height));
    return w;
}

// The program's icon; a drawn stand-in when the application has none set.
QPixmap programIcon(int size)
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(size, size);
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size, size);
    g.setColorAt(0, QColor(40, 90, 200));
    g.setColorAt(1, QColor(20, 170, 190));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
    QPainterPath wave;
    wave.moveTo(size * 0.15, size * 0.6);
    wave.cubicTo(size * 0.35, size * 0.25, size * 0.5, size * 0.95, size * 0.85, size * 0.4);
    p.setPen(QPen(Qt::white, size / 10.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    return pm;
}

} // namespace

frmAbout::frmAbout(OpenLink openLink, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_openLink(std::move(openLink))
{
    setObjectName("frmAbout");
    setFixedSize(twips::toPixels(6300), twips::toPixels(4230));

    picIcon = place(new QLabel(this), 240, 240, 540, 540);
    lblTitle = place(new QLabel(this), 1050, 240, 5010, 480);
    lblVersion = place(new QLabel(this), 1050, 780, 5010, 225);
    lblDescription = place(new QLabel(this), 1050, 1110, 5010, 900);
    lblWebLink = place(new QLabel(this), 240, 2100, 5820, 390);
    lblWebAddr = place(new LinkLabel(QString(), this), 240, 2520, 5820, 225);
    lblAdvertTxt = place(new QLabel(this), 240, 2880, 5820, 390);
    lblAdvertLnk = place(new LinkLabel(QString(), this), 240, 3300, 5820, 225);
    cmdSysInfo = place(new QPushButton("&System Info...", this), 3360, 3720, 1260, 375);
    cmdOK = place(new QPushButton("OK", this), 4800, 3720, 1260, 375);

    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    for (QLabel *l : {lblDescription, lblWebLink, lblAdvertTxt}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    picIcon->setPixmap(programIcon(twips::toPixels(540)));

    cmdOK->setDefault(true);
    cmdSysInfo->setAutoDefault(false);
    setTabOrder(cmdOK, cmdSysInfo);

    connect(cmdOK, &QPushButton::clicked, this, &QWidget::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
    connect(lblWebAddr, &LinkLabel::clicked, this, [this] { follow(about::makerAddress()); });
    connect(lblAdvertLnk, &LinkLabel::clicked, this, [this] { follow(about::advertAddress()); });

    Form_Load();
}

void frmAbout::Form_Load()
{
    setWindowTitle("About " + about::title());
    lblTitle->setText(about::title());
    lblVersion->setText(about::versionText());
    lblDescription->setText(about::credits());
    lblWebLink->setText("You can check for updates and search for other free downloads on our website at:");
    lblWebAddr->setText(about::makerAddress());
    lblAdvertTxt->setText("Support this program by accepting to put money into your own pocket! "
                          "Simply visit this website if interested:");
    lblAdvertLnk->setText(about::advertAddress());
}

void frmAbout::follow(const QString &address)
{
    if (m_openLink)
        m_openLink(address);
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    // OK is also the cancel button: Escape closes the box the same way.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::StartSysInfo()
{
    const QString path = m_searchPathSet ? m_searchPath : qEnvironmentVariable("PATH");
    if (startSysInfoTool(path))
        return;
    QMessageBox box(QMessageBox::NoIcon, about::title(), SysInfoUnavailableText,
                    QMessageBox::Ok, this);
    box.exec();
}

frmAbout *showAbout(QWidget *parent, frmAbout::OpenLink openLink, const QString &notice)
{
    static QPointer<frmAbout> open;
    if (!open) {
        open = new frmAbout(std::move(openLink), parent);
        open->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        open->setOpenLink(std::move(openLink));
    }
    if (!notice.isEmpty())
        open->lblDescription->setText(about::credits() + QStringLiteral("\n\nNote: ") + notice + '.');
    open->show();
    open->raise();
    open->activateWindow();
    return open;
}
