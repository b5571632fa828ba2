#pragma once
#include "core/OptionSet.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// The setup dialog's conversions and choices, kept apart from the widgets so
// that they can be checked directly.
namespace setup {

// The colour value 0x00BBGGRR split into the three bar positions and joined
// back. Anything above the low 24 bits is not a colour and is dropped.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};
Rgb splitColour(int32_t bgr);
int32_t joinColour(int red, int green, int blue);

// The CD drive list of the dialog: the drive-list entries that are CD drives,
// in order, and which of them is selected (-1 for none). An entry equal to
// the stored drive (exact text, case significant) selects the CD entry added
// last at that point, even when the matching entry itself is no CD drive;
// before any CD entry was added that means no selection.
struct CdChoice {
    QStringList entries;
    int selected = -1;
};
CdChoice chooseCdDrives(const QStringList &driveEntries, const QString &storedDrive,
                        const std::function<bool(QString &)> &isCdDrive);

// Ranges the dialog keeps values in. A hand-edited settings file can hold
// anything; the dialog shows the nearest value it can offer and OK stores that.
constexpr int EdgeMin = 1;
constexpr int EdgeMax = 150;
constexpr int VideoSizeCount = 8;
// Thumbnails of 0 pixels show nothing and huge ones exhaust memory.
constexpr double ThumbMin = 8;
constexpr double ThumbMax = 1024;
// The slide delay's range is the timer's own (OptionSet).
constexpr double SlideDelayMin = OptionSet::SlideDelayMin;
constexpr double SlideDelayMax = OptionSet::SlideDelayMax;

// The largest font size the font button shows and offers.
constexpr int FontSizeMax = 96;

int clampEdge(int value);
// An index outside the list falls back to "Original".
int videoSizeIndex(int value);
double clampThumbSize(double value);
double clampSlideDelay(double value);

// The shortest decimal text of a number ("12", "2.5"), as the settings keep it.
QString numberText(double value);

// OK's reading of the two text boxes: the leading number, kept in range.
double thumbSizeFromText(const QString &text);
double slideDelayFromText(const QString &text);

} // namespace setup
