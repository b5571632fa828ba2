#pragma once
#include <QByteArray>

class QScreen;

// The ICC profile the desktop publishes for a monitor (on X11 the root
// window's _ICC_PROFILE, or _ICC_PROFILE_n for the n-th screen, as colour
// managers set it); empty elsewhere or when none is set.
QByteArray monitorProfile(const QScreen *screen);
