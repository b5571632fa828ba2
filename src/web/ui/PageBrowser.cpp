#include "web/ui/PageBrowser.h"

#include "core/ProgramFolder.h"
#include "web/ui/frmBrowser.h"

#include <QPointer>

namespace {
QPointer<frmBrowser> &openBrowser()
{
    static QPointer<frmBrowser> window;
    return window;
}
}

frmBrowser *pageBrowserWindow() { return openBrowser().data(); }

frmBrowser *showPageBrowser(const QString &target)
{
    QPointer<frmBrowser> &window = openBrowser();
    if (!window)
        window = new frmBrowser(target);
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
    return showPageBrowser(helpPagePath());
}
