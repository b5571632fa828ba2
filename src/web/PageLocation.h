#pragma once
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

// Plain logic of the page browser window.

// The address to open for what an opener put into BrowseTarget: a file path
// (absolute, or relative to the current folder) or a web address; an empty
// page when the text is neither.
QUrl browseTargetUrl(const QString &target);

// What the window's caption shows for a loaded page: its title, or its
// address when it has none. The web view reports a page without a title
// under a stand-in made from the address (the file name of a local page, the
// address without its scheme for others), so those count as no title.
QString locationName(const QString &title, const QUrl &url);

// Where the view sits in a client area of the given size (pixels): 45 twips
// from the left and top, 100 twips narrower and lower than the client area,
// and never a negative size.
QRect browserArea(const QSize &clientSize);
