#pragma once
#include <QByteArray>
#include <QHash>

// Qt WebEngine needs a little help in two settings, and only there:
// - run as root, its sandbox refuses to start, so it is switched off for root;
// - with no GPU (no render node; the offscreen platform), its GPU process
//   falls back to software GL and now and then fails to make a context, so
//   the GPU is switched off there and the page is composited in software.
// Everyone else runs WebEngine unchanged.

struct WebEngineHost {
    bool root = false;
    bool hasGpu = true;
    QByteArray platform;        // QT_QPA_PLATFORM as set, may be empty
    QByteArray sandboxSetting;  // QTWEBENGINE_DISABLE_SANDBOX as set
    QByteArray chromiumFlags;   // QTWEBENGINE_CHROMIUM_FLAGS as set
};

// The environment variables to set (name to value) for such a host; values
// the user has already set are kept and extended, never dropped.
QHash<QByteArray, QByteArray> webEngineEnvironment(const WebEngineHost &host);

// The host this process runs on.
WebEngineHost currentWebEngineHost();

// Applies webEngineEnvironment(currentWebEngineHost()). Call it in main()
// before the QApplication is created (WebEngine reads these at start).
void prepareWebEngineEnvironment();
