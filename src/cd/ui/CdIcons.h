#pragma once
#include <QIcon>

// The pictures of the player's buttons, drawn rather than shipped.
enum class CdIcon { Play, Pause, Stop, Previous, Next, Eject };
QIcon cdIcon(CdIcon which);
