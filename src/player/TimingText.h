#pragma once
#include <QString>

// The player's time display: "m:ss / m:ss" (hours shown once a clip is that
// long); the duration part is left out while it is unknown (0 or less).
QString timingText(qint64 positionMs, qint64 durationMs);
