#include "app/LinkedParts.h"

#include "cd/ui/CdPlayer.h"
#include "player/ui/FlashPlayerWidget.h"
#include "player/ui/MediaPlayerWidget.h"
#include "web/ui/PageBrowser.h"
#include "web/ui/frmHTML.h"

MediaPlayerView *LinkedParts::newMediaPlayer(QWidget *parent)
{
    return new MediaPlayerWidget(parent);
}

FlashPlayerView *LinkedParts::newFlashPlayer(QWidget *parent)
{
    return new FlashPlayerWidget(parent);
}

bool LinkedParts::showPageBrowser(const QString &target)
{
    ::showPageBrowser(target);
    return true;
}

bool LinkedParts::showHelpPage()
{
    ::showHelpPage();
    return true;
}

bool LinkedParts::showHtmlBuilder(QWidget *parent, FolderSource currentFolder, NamesSource listedNames,
                                  RawNamesSource listedBytes)
{
    ::showHtmlBuilder(parent, std::move(currentFolder), std::move(listedNames), std::move(listedBytes));
    return true;
}

bool LinkedParts::showCdPlayer(QWidget *parent, bool onTop)
{
    ::showCdPlayer(parent, onTop);
    return true;
}
