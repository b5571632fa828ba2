#include "cd/ui/CdPlayer.h"

#include "cd/ui/frmCD.h"

#include <QPointer>

void showCdPlayer(QWidget *parent, bool onTop)
{
    static QPointer<frmCD> player;
    if (!player) {
        player = new frmCD(parent, nullptr, onTop);
        player->setAttribute(Qt::WA_DeleteOnClose);
    }
    player->show();
    player->raise();
    player->activateWindow();
}
