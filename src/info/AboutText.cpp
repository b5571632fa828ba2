#include "info/AboutText.h"

#include "core/version.h"

namespace about {

QString title() { return QStringLiteral("Glintwave"); }

QString versionText()
{
    return QStringLiteral("Version ") + QStringLiteral(GLINTWAVE_VERSION_TEXT);
}

QString credits()
{
    return QStringLiteral("A media browser and picture viewer for the desktop.")
           + QStringLiteral("\n\n")
           + QStringLiteral("Written by the Glintwave developers with Qt, GStreamer, libcdio, libwmf and Ruffle.");
}

QString makerAddress() { return QStringLiteral("https://glintwave.example.org/"); }

QString advertAddress() { return QStringLiteral("https://offers.example.com/visit?from=glintwave"); }

} // namespace about
