#include "web/ui/frmBrowser.h"

#include "web/PageLocation.h"
#include "core/Twips.h"

#include "web/GuardedWebPage.h"

#include <QLabel>
#include <QResizeEvent>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

frmBrowser::frmBrowser(const QString &target, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmBrowser"));
    resize(twips::toPixels(6540), twips::toPixels(5130));

    brwWebBrowser = new QWebEngineView(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    // A page from disk reads its own folder and no other file; a script's
    // dialogs never block the window (their text shows above the page).
    auto *page = new GuardedWebPage(QWebEngineProfile::defaultProfile(), brwWebBrowser);
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    brwWebBrowser->setPage(page);
    m_page = page;
    brwWebBrowser->installEventFilter(this);   // its input widget, to tell clicks from scripts
    lblScriptMessage = new QLabel(this);
    lblScriptMessage->setObjectName(QStringLiteral("lblScriptMessage"));
    lblScriptMessage->setAutoFillBackground(true);
    lblScriptMessage->setTextFormat(Qt::PlainText);
    lblScriptMessage->hide();
    connect(page, &GuardedWebPage::scriptMessage, this, [this](const QString &text) {
        lblScriptMessage->setText(text.left(500));
        lblScriptMessage->setGeometry(0, 0, width(), lblScriptMessage->sizeHint().height());
        lblScriptMessage->show();
        lblScriptMessage->raise();
    });
    brwWebBrowser->setGeometry(browserArea(size()));

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);
    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timTimer_Timer);

    connect(brwWebBrowser, &QWebEngineView::loadStarted, this, [this] {
        m_busy = true;
        lblScriptMessage->hide();
    });
    connect(brwWebBrowser, &QWebEngineView::loadFinished, this, [this](bool) {
        m_busy = false;
        brwWebBrowser_DownloadComplete();
    });
    // Links that ask for a new window open in this one: the browser has one view.
    connect(brwWebBrowser->page(), &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest &request) { brwWebBrowser->setUrl(request.requestedUrl()); });
    // A title that arrives or changes after the page has loaded (set by a
    // script) is still the page's title.
    connect(brwWebBrowser, &QWebEngineView::titleChanged, this, [this] {
        if (!m_busy && !timTimer->isActive())
            setWindowTitle(locationName());
    });

    // Load: the caption reads "Reading page..." until the first page is in.
    setWindowTitle(QStringLiteral("Reading page..."));
    timTimer->start();
    m_busy = true;   // busy from the request on, before the view reports it
    brwWebBrowser->setUrl(browseTargetUrl(target));
}

QString frmBrowser::locationName() const
{
    return ::locationName(brwWebBrowser->title(), brwWebBrowser->url());
}

void frmBrowser::timTimer_Timer()
{
    if (m_busy) {
        setWindowTitle(QStringLiteral("Reading page..."));
        return;
    }
    timTimer->stop();
    setWindowTitle(locationName());
}

void frmBrowser::brwWebBrowser_DownloadComplete()
{
    setWindowTitle(locationName());
}

bool frmBrowser::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == brwWebBrowser) {
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        break;
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
        m_page->noteUserInput();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void frmBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isMinimized())
        return;
    brwWebBrowser->setGeometry(browserArea(event->size()));
}
