#pragma once
#include "player/ui/PlayerViews.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <functional>

class QWidget;

// The parts of the program that need the web engine, the multimedia
// framework or the CD library: the viewer's players, the page browser (and
// the help page in it), the gallery builder and the CD player. The program
// loads them from a module when one is first used, so that a picture opens
// without waiting for any of them (LoadedParts); tests link them in
// (LinkedParts). A window method returns false when the parts cannot be
// loaded, and problem() says why.
class OnDemandParts : public PlayerMaker {
public:
    using FolderSource = std::function<QString()>;
    using NamesSource = std::function<QStringList()>;
    using RawNamesSource = std::function<QList<QByteArray>()>;

    // Shows the page browser on target, or brings the open one to the front.
    virtual bool showPageBrowser(const QString &target) = 0;
    // The help page in the page browser.
    virtual bool showHelpPage() = 0;
    virtual bool showHtmlBuilder(QWidget *parent, FolderSource currentFolder, NamesSource listedNames,
                                 RawNamesSource listedBytes) = 0;
    virtual bool showCdPlayer(QWidget *parent, bool onTop) = 0;
};
