#pragma once
#include <QString>
#include <cstdint>

// The options held in memory for the whole run. Keys that are applied
// straight to the main window (geometry, filter boxes, folder, custom
// pattern, column widths) live on that window, not here.
struct OptionSet {
    QString ViewMode;          // key "View": 0 list, 1 detailed, 2 thumbnails (a number in text)
    QString ThumbSize;         // pixels, a number in text
    QString SlideDelay;        // seconds, a number in text
    int16_t ScaleBig = 0;
    int16_t ScaleSmall = 0;
    int16_t TimingInfo = 0;
    int16_t VideoSize = 0;
    int32_t BgColour = 0;      // 0x00BBGGRR
    int16_t UnknownAsText = 0;
    QString CDPlaybackDrive;
    QString TextFontName;
    int16_t TextFontSize = 0;
    bool TextFontBold = false;
    bool TextFontItalic = false;
    QString SortCol;
    QString SortDir;
    int16_t EdgeTuning = 0;
    int16_t LoopSlide = 0;
    int16_t CDonTop = 0;

    // Numeric readings of the options kept as text ("every user takes the
    // numeric value of the text").
    int viewModeValue() const;
    int thumbSizeValue() const;
    double slideDelayValue() const;
    // The slide timer runs 1000 x delay ms: 0 would fire without pause, and a
    // delay beyond an hour looks like a stalled show. The setup dialog keeps
    // the delay in this range, and the timer too.
    static constexpr double SlideDelayMin = 0.5;
    static constexpr double SlideDelayMax = 3600;
    int slideIntervalMs() const;
    int sortColValue() const;
    int sortDirValue() const;
};

// The single option set of the run.
OptionSet &options();
