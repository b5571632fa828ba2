#pragma once
#include "OptionSet.h"

#include <QString>
#include <array>
#include <cstdint>

class SettingsStore;

// The keys applied straight to the main window and its controls.
struct WindowSettings {
    float MainLeft = 0, MainTop = 0, MainWidth = 0, MainHeight = 0; // twips
    int16_t WindowState = 0;
    QString Filter;
    QString Path;
    QString CustomFilter;
    std::array<int32_t, 4> DetailedCol{};
};

// What some defaults depend on at read time.
struct SettingsContext {
    double screenWidthTwips = 0;
    double screenHeightTwips = 0;
    QString startFolder;  // the process's current folder
    QString fontName;     // the main window's standard font
    int16_t fontSize = 9;
};

// Reads all 31 keys in read order. A key whose text does not convert takes
// its default (never the zero an unconverted read would leave).
void readAllSettings(const SettingsStore &store, const SettingsContext &context,
                     WindowSettings &window, OptionSet &options);

// Writes all 31 keys in write order.
void writeAllSettings(SettingsStore &store, const WindowSettings &window,
                      const OptionSet &options);
