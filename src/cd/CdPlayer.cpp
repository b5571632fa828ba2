#include "CdPlayer.h"

#include "frmCD.h"

#include <QPointer>

void showCdPlayer(QWidget *parent)
{
    static QPointer<frmCD> player;
    if (!player) {
        player = new frmCD(parent);
        player->setAttribute(Qt::WA_DeleteOnClose);
    }
    player->show();
    player->raise();
    player->activateWindow();
}
