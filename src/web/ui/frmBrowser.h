#pragma once
#include <QWidget>

class GuardedWebPage;
class QLabel;
class QTimer;
class QWebEngineView;

// The page browser: one web view and nothing else. It opens the address it
// was given at load and then lets the user follow links; the caption tells
// the loading state and then the page's title.
class frmBrowser : public QWidget
{
    Q_OBJECT
public:
    // target: a file path or web address, read only here.
    explicit frmBrowser(const QString &target, QWidget *parent = nullptr);

    QWebEngineView *brwWebBrowser = nullptr;
    QTimer *timTimer = nullptr;
    QLabel *lblScriptMessage = nullptr;   // the last alert, confirm or prompt of the page

    // True from a navigation's start until its page has finished loading.
    bool isBusy() const { return m_busy; }
    // The loaded page's title, or its address when it has none.
    QString locationName() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void timTimer_Timer();
    void brwWebBrowser_DownloadComplete();

    bool m_busy = false;
    GuardedWebPage *m_page = nullptr;
};
