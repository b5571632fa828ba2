#include "PageBrowser.h"

#include "AppState.h"
#include "ProgramFolder.h"
#include "frmBrowser.h"

#include <QPointer>

namespace {
QPointer<frmBrowser> &openBrowser()
{
    static QPointer<frmBrowser> window;
    return window;
}
}

frmBrowser *pageBrowserWindow() { return openBrowser().data(); }

frmBrowser *showPageBrowser()
{
    QPointer<frmBrowser> &window = openBrowser();
    if (!window)
        window = new frmBrowser(appState().BrowseTarget);
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return window.data();
}

frmBrowser *showHelpPage()
{
    appState().BrowseTarget = helpPagePath();
    return showPageBrowser();
}
