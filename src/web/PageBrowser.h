#pragma once

class frmBrowser;

// Shows the page browser. At most one is open: it reads appState().BrowseTarget
// only when it is created; while it is open a further call brings it to the
// front and leaves its page as it is. Returns the window.
frmBrowser *showPageBrowser();

// The "&Help" item: points BrowseTarget at the help page (beside the
// executable or in the installed share folder) and shows the page browser.
frmBrowser *showHelpPage();

// The open page browser, or null.
frmBrowser *pageBrowserWindow();
