#include "web/WebEngineSetup.h"

#include <QDir>
#include <QList>

#include <unistd.h>

QHash<QByteArray, QByteArray> webEngineEnvironment(const WebEngineHost &host)
{
    QHash<QByteArray, QByteArray> env;
    if (host.root && host.sandboxSetting.isEmpty())
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");

    const bool offscreen = host.platform.startsWith("offscreen") || host.platform.startsWith("minimal");
    if ((!host.hasGpu || offscreen) && !host.chromiumFlags.split(' ').contains("--disable-gpu")) {
        QByteArray flags = host.chromiumFlags.trimmed();
        if (!flags.isEmpty())
            flags += ' ';
        env.insert("QTWEBENGINE_CHROMIUM_FLAGS", flags + "--disable-gpu");
    }
    return env;
}

WebEngineHost currentWebEngineHost()
{
    WebEngineHost host;
    host.root = ::geteuid() == 0;
    // A GPU that Chromium can use shows up as a DRM render node.
    host.hasGpu = !QDir(QStringLiteral("/dev/dri"))
                       .entryList({QStringLiteral("renderD*")}, QDir::System | QDir::AllEntries)
                       .isEmpty();
    host.platform = qgetenv("QT_QPA_PLATFORM");
    host.sandboxSetting = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    host.chromiumFlags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    return host;
}

void prepareWebEngineEnvironment()
{
    const auto env = webEngineEnvironment(currentWebEngineHost());
    for (auto it = env.constBegin(); it != env.constEnd(); ++it)
        qputenv(it.key().constData(), it.value());
}
