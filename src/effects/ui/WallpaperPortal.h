#pragma once
#include <QString>

// The XDG desktop portal's Wallpaper interface, for desktops that have no
// setter of their own that Glintwave knows (most Wayland compositors with a
// portal back end).
struct PortalAnswer {
    enum class Outcome {
        NoPortal,   // no portal answers on the session bus, or it has no Wallpaper interface
        Set,        // the portal reports success
        NotSet,     // the portal answered but did not set it (refused, cancelled, failed, silent)
    };
    Outcome outcome = Outcome::NoPortal;
    QString message;   // why not, for NotSet
};

// Asks the portal on the session bus to show the picture at uri (file://)
// as the desktop background, without a preview dialog, and waits up to
// waitMs for its answer. Blocks: run it off the window's thread.
PortalAnswer setWallpaperThroughPortal(const QString &uri, int waitMs = 120000);
