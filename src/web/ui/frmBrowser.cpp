#include "web/ui/frmBrowser.h"

#include "web/PageLocation.h"
#include "core/Twips.h"

#include <QResizeEvent>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

frmBrowser::frmBrowser(const QString &target, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmBrowser"));
    resize(twips::toPixels(6540), twips::toPixels(5130));

    brwWebBrowser = new QWebEngineView(this);
    brwWebBrowser->setObjectName(QStringLiteral("brwWebBrowser"));
    brwWebBrowser->setGeometry(browserArea(size()));

    timTimer = new QTimer(this);
    timTimer->setObjectName(QStringLiteral("timTimer"));
    timTimer->setInterval(5);
    connect(timTimer, &QTimer::timeout, this, &frmBrowser::timTimer_Timer);

    connect(brwWebBrowser, &QWebEngineView::loadStarted, this, [this] { m_busy = true; });
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

void frmBrowser::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (isMinimized())
        return;
    brwWebBrowser->setGeometry(browserArea(event->size()));
}
