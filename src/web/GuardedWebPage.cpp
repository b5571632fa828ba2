#include "web/GuardedWebPage.h"

#include <QWebEngineUrlRequestInterceptor>

// Sees every request the page makes, subresources included.
class GuardedWebPage::Guard : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    LocalPagePolicy policy;

    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        // A new page has passed acceptNavigationRequest, which knows whether
        // the user asked for it; everything else is the page's own doing.
        const bool mainFrame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
        info.block(!policy.allows({info.firstPartyUrl(), info.requestUrl(), mainFrame, mainFrame}));
    }
};

GuardedWebPage::GuardedWebPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent), m_guard(new Guard(this))
{
    setUrlRequestInterceptor(m_guard);
}

GuardedWebPage::~GuardedWebPage()
{
    setUrlRequestInterceptor(nullptr);
}

void GuardedWebPage::setPolicy(const LocalPagePolicy &policy)
{
    m_guard->policy = policy;
}

void GuardedWebPage::javaScriptAlert(const QUrl &, const QString &msg)
{
    emit scriptMessage(msg);
}

bool GuardedWebPage::javaScriptConfirm(const QUrl &, const QString &msg)
{
    emit scriptMessage(msg);
    return false;
}

bool GuardedWebPage::javaScriptPrompt(const QUrl &, const QString &msg, const QString &, QString *)
{
    emit scriptMessage(msg);
    return false;
}

void GuardedWebPage::noteUserInput()
{
    m_lastInput.start();
}

bool GuardedWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // A script's location change looks like a followed link, and it could
    // carry what a page read along in the address: a link counts as the
    // user's only right after the user clicked or typed in the view.
    constexpr qint64 InputToLinkMs = 1000;
    const bool justUsed = m_lastInput.isValid() && m_lastInput.elapsed() < InputToLinkMs;
    const bool byUser = type == NavigationTypeTyped || type == NavigationTypeBackForward
                        || type == NavigationTypeReload || (type == NavigationTypeLinkClicked && justUsed);
    return m_guard->policy.allows({this->url(), url, isMainFrame, byUser});
}
