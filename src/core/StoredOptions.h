#pragma once
#include "core/OptionSet.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class SettingsStore;

// The keys applied straight to the main window and its controls.
struct WindowSettings {
    float MainLeft = 0, MainTop = 0, MainWidth = 0, MainHeight = 0; // twips
    int WindowState = 0;   // 0 normal, 1 minimised, 2 maximised
    QString Filter;        // one "0"/"1" per type box
    QString Path;
    QString CustomFilter;
    std::array<int32_t, 4> DetailedCol{};   // twips
};

// Everything the settings store holds.
struct StoredSettings {
    WindowSettings window;
    OptionSet options;
};

// What some defaults depend on at read time.
struct SettingsContext {
    double screenWidthTwips = 0;
    double screenHeightTwips = 0;
    QString startFolder;  // the process's current folder
    QString fontName;     // the main window's standard font
    int fontSize = 9;
};

// Reads every key. A key that is absent, or whose text does not convert,
// takes its default; a default is turned into text and read back like a
// stored value, so both follow the same conversion.
void readAllSettings(const SettingsStore &store, const SettingsContext &context,
                     StoredSettings &settings);

// Writes every key, each value in its stored text form.
void writeAllSettings(SettingsStore &store, const StoredSettings &settings);

// The keys in the order they are written.
QStringList storedKeyNames();

// The default width of a detailed grid column (0..3), in twips.
int detailedColumnDefault(int column);
