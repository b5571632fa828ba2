#include "setup/SetupRules.h"

#include "core/NumberText.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace setup {

Rgb splitColour(int32_t bgr)
{
    const uint32_t v = static_cast<uint32_t>(bgr);
    Rgb c;
    c.red = static_cast<int>(v & 0xFFu);
    c.green = static_cast<int>((v & 0xFF00u) / 256u);
    c.blue = static_cast<int>((v & 0xFF0000u) / 65536u);
    return c;
}

int32_t joinColour(int red, int green, int blue)
{
    const auto channel = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return static_cast<int32_t>(channel(red) | (channel(green) << 8) | (channel(blue) << 16));
}

CdChoice chooseCdDrives(const QStringList &driveEntries, const QString &storedDrive,
                        const std::function<bool(QString &)> &isCdDrive)
{
    CdChoice choice;
    int counter = -1;
    for (const QString &entry : driveEntries) {
        QString probe = entry;
        if (isCdDrive && isCdDrive(probe)) {
            choice.entries << entry;
            ++counter;
        }
        if (entry == storedDrive)
            choice.selected = counter;
    }
    return choice;
}

int clampEdge(int value) { return std::clamp(value, EdgeMin, EdgeMax); }

int videoSizeIndex(int value) { return (value >= 0 && value < VideoSizeCount) ? value : 0; }

double clampThumbSize(double value)
{
    if (std::isnan(value))
        return ThumbMin;
    return std::clamp(value, ThumbMin, ThumbMax);
}

double clampSlideDelay(double value)
{
    if (std::isnan(value))
        return SlideDelayMin;
    return std::clamp(value, SlideDelayMin, SlideDelayMax);
}

QString numberText(double value)
{
    // The "C" locale keeps "." as the decimal point whatever the user's locale,
    // matching how the text boxes are read back.
    return QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
}

double thumbSizeFromText(const QString &text)
{
    return clampThumbSize(leadingNumber(text));
}

double slideDelayFromText(const QString &text)
{
    return clampSlideDelay(leadingNumber(text));
}

} // namespace setup
