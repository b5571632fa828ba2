#include "web/ui/frmHTML.h"

#include "web/HtmlPageWriter.h"
#include "core/version.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <utility>

namespace {
QLabel *labelFor(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}
}

frmHTML::frmHTML(FolderSource currentFolder, NamesSource listedNames, QWidget *parent, RawNamesSource listedBytes)
    : QDialog(parent), m_currentFolder(std::move(currentFolder)), m_listedNames(std::move(listedNames)),
      m_listedBytes(std::move(listedBytes))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmHTML"));
    setWindowTitle(QStringLiteral("HTML Page Builder"));
    setModal(false);

    txtFilename = new QLineEdit(QStringLiteral("Untitled.htm"), this);
    txtTitle = new QLineEdit(QStringLiteral("Mega Sexy Title"), this);
    txtRow = new QLineEdit(QStringLiteral("5"), this);
    txtWidth = new QLineEdit(QStringLiteral("100"), this);
    lblFile = labelFor(QStringLiteral("&Filename"), txtFilename, this);
    lblTitle = labelFor(QStringLiteral("Page &Title"), txtTitle, this);
    lblRow = labelFor(QStringLiteral("items per &row"), txtRow, this);
    lblWidth = labelFor(QStringLiteral("&pixels wide"), txtWidth, this);
    chkFnames = new QCheckBox(QStringLiteral("Show file &names"), this);
    chkFnames->setChecked(true);
    chkThumbs = new QCheckBox(QStringLiteral("&Generate && show thumbnails"), this);
    chkThumbs->setChecked(false);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    barThumbs = new QProgressBar(this);
    barThumbs->setTextVisible(false);
    barThumbs->hide();

    const std::pair<QWidget *, const char *> names[] = {
        {txtFilename, "txtFilename"}, {txtTitle, "txtTitle"}, {txtRow, "txtRow"},
        {txtWidth, "txtWidth"}, {lblFile, "lblFile"}, {lblTitle, "lblTitle"},
        {lblRow, "lblRow"}, {lblWidth, "lblWidth"}, {chkFnames, "chkFnames"},
        {chkThumbs, "chkThumbs"}, {cmdOK, "cmdOK"}, {cmdCancel, "cmdCancel"},
        {barThumbs, "barThumbs"}};
    for (const auto &[widget, name] : names)
        widget->setObjectName(QLatin1String(name));

    txtRow->setMaximumWidth(60);
    txtWidth->setMaximumWidth(60);

    auto *fields = new QGridLayout;
    fields->addWidget(lblFile, 0, 0);
    fields->addWidget(txtFilename, 0, 1, 1, 2);
    fields->addWidget(lblTitle, 1, 0);
    fields->addWidget(txtTitle, 1, 1, 1, 2);
    fields->addWidget(lblRow, 2, 0);
    fields->addWidget(txtRow, 2, 1);
    fields->addWidget(chkFnames, 3, 0, 1, 3);
    fields->addWidget(chkThumbs, 4, 0, 1, 3);
    auto *widthRow = new QHBoxLayout;
    widthRow->addSpacing(20);
    widthRow->addWidget(txtWidth);
    widthRow->addWidget(lblWidth);
    widthRow->addStretch();
    fields->addLayout(widthRow, 5, 0, 1, 3);
    fields->setColumnStretch(2, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(barThumbs);

    setTabOrder(txtFilename, txtTitle);
    setTabOrder(txtTitle, txtRow);
    setTabOrder(txtRow, chkFnames);
    setTabOrder(chkFnames, chkThumbs);
    setTabOrder(chkThumbs, txtWidth);
    setTabOrder(txtWidth, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmHTML::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmHTML::cmdCancel_Click);
    resize(380, sizeHint().height());
}

frmHTML::~frmHTML()
{
    // A write still running finishes on its own copy of the request; tell it
    // to stop early.
    if (m_cancel)
        m_cancel->store(true);
}

bool frmHTML::isWriting() const { return m_watcher != nullptr; }

void frmHTML::cmdOK_Click()
{
    if (isWriting())
        return;
    const QString nameProblem = HtmlPageWriter::checkFileName(txtFilename->text());
    if (!nameProblem.isEmpty()) {
        showProblem(nameProblem);
        return;
    }

    // The main window's folder and list as they are now, not as they were
    // when the builder opened.
    HtmlPageRequest request;
    request.folder = m_currentFolder ? m_currentFolder() : QString();
    request.fileName = txtFilename->text();
    request.content.title = txtTitle->text();
    request.content.itemsPerRow = txtRow->text();
    request.content.names = m_listedNames ? m_listedNames() : QStringList();
    request.content.rawNames = m_listedBytes ? m_listedBytes() : QList<QByteArray>();
    request.content.showNames = chkFnames->isChecked();
    request.content.version = QStringLiteral(GLINTWAVE_VERSION_TEXT);
    request.thumbnails = chkThumbs->isChecked();
    request.thumbWidth = txtWidth->text();

    // Thumbnails of a large folder take a while: the page is written on a
    // worker thread and the dialog shows its progress meanwhile.
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    auto cancel = m_cancel;
    m_watcher = new QFutureWatcher<HtmlPageResult>(this);
    connect(m_watcher, &QFutureWatcherBase::progressRangeChanged, barThumbs, &QProgressBar::setRange);
    connect(m_watcher, &QFutureWatcherBase::progressValueChanged, barThumbs, &QProgressBar::setValue);
    connect(m_watcher, &QFutureWatcherBase::finished, this, &frmHTML::writeDone);
    setWriting(true);
    m_watcher->setFuture(QtConcurrent::run([request, cancel](QPromise<HtmlPageResult> &promise) {
        HtmlPageWriter writer(request);
        promise.addResult(writer.write([&promise, &cancel](int done, int total) {
            promise.setProgressRange(0, total);
            promise.setProgressValue(done);
            return !cancel->load();
        }));
    }));
}

void frmHTML::writeDone()
{
    const HtmlPageResult result = m_watcher->future().result();
    m_watcher->deleteLater();
    m_watcher = nullptr;
    setWriting(false);
    const bool written = result.status == HtmlPageResult::Written;
    emit writeFinished(written);
    if (written || m_closeWhenDone) {
        close();
        return;
    }
    if (result.status == HtmlPageResult::Failed)
        showProblem(result.message);
}

void frmHTML::cmdCancel_Click()
{
    reject();
}

void frmHTML::reject()
{
    // Cancel, Escape and the close box: while writing, stop the write and
    // stay open; otherwise close without writing.
    if (isWriting()) {
        m_cancel->store(true);
        return;
    }
    QDialog::reject();
}

void frmHTML::closeEvent(QCloseEvent *event)
{
    if (isWriting()) {
        // Closed while writing: stop the write, then close once it has
        // cleaned up after itself.
        m_cancel->store(true);
        m_closeWhenDone = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void frmHTML::setWriting(bool writing)
{
    for (QWidget *w : {static_cast<QWidget *>(txtFilename), static_cast<QWidget *>(txtTitle),
                       static_cast<QWidget *>(txtRow), static_cast<QWidget *>(txtWidth),
                       static_cast<QWidget *>(chkFnames), static_cast<QWidget *>(chkThumbs),
                       static_cast<QWidget *>(cmdOK)})
        w->setEnabled(!writing);
    barThumbs->setRange(0, 0);   // busy until the first thumbnail reports
    barThumbs->setVisible(writing && chkThumbs->isChecked());
    if (writing)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void frmHTML::showProblem(const QString &message)
{
    // Not blocking: the user reads it, then corrects the name in the open dialog.
    auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("problemBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this] {
        txtFilename->setFocus();
        txtFilename->selectAll();
    });
    box->open();
}

frmHTML *showHtmlBuilder(QWidget *parent, frmHTML::FolderSource currentFolder, frmHTML::NamesSource listedNames,
                         frmHTML::RawNamesSource listedBytes)
{
    static QPointer<frmHTML> open;
    if (!open || !open->isVisible())
        open = new frmHTML(std::move(currentFolder), std::move(listedNames), parent, std::move(listedBytes));
    open->show();
    open->raise();
    open->activateWindow();
    return open.data();
}
