#pragma once
#include "web/LocalPagePolicy.h"

#include <QElapsedTimer>
#include <QWebEnginePage>

class QWebEngineProfile;

// A web page that keeps local pages to their folder (LocalPagePolicy) and
// never blocks its window with a script's dialogs: alert, confirm and
// prompt are answered at once (no, nothing) and their text is handed on as
// scriptMessage, so a page that loops on alert() cannot hold the window open.
class GuardedWebPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit GuardedWebPage(QWebEngineProfile *profile, QObject *parent = nullptr);
    ~GuardedWebPage() override;

    void setPolicy(const LocalPagePolicy &policy);
    // The window tells of each click or key the user gave the page's view.
    void noteUserInput();

signals:
    void scriptMessage(const QString &text);

protected:
    void javaScriptAlert(const QUrl &, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &, const QString &msg) override;
    bool javaScriptPrompt(const QUrl &, const QString &msg, const QString &, QString *) override;
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;

private:
    class Guard;
    Guard *m_guard;
    QElapsedTimer m_lastInput;
};
