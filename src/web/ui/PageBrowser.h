#pragma once

class frmBrowser;

class QString;

// Shows the page browser. At most one is open: target (a file path or a web
// address) is opened only when the window is created; while it is open a
// further call brings it to the front and leaves its page as it is.
frmBrowser *showPageBrowser(const QString &target);

// The "&Help" item: shows the help page (beside the executable or in the
// installed share folder) in the page browser.
frmBrowser *showHelpPage();

// The open page browser, or null.
frmBrowser *pageBrowserWindow();
