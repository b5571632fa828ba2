#pragma once
#include <QColor>
#include <QString>
#include <QStringList>

// The options held in memory for the whole run, as the program uses them.
// Their stored texts and conversions live in OptionTable; keys that belong to
// the main window (geometry, filter boxes, folder, custom pattern, column
// widths) are in WindowSettings.
struct OptionSet {
    int ViewMode = 0;            // 0 list, 1 detailed, 2 thumbnails (others show the list)
    double ThumbSize = 100;      // thumbnail edge in pixels, at least 1; may carry a fraction
    double SlideDelay = 5;       // seconds between slides, above 0
    bool ScaleBig = false;       // shrink pictures larger than the screen
    bool ScaleSmall = false;     // enlarge pictures smaller than the screen
    bool TimingInfo = true;      // the media player shows its timing display
    int VideoSize = 0;           // index into the setup dialog's video sizes
    QColor BgColour = Qt::white; // behind the viewer's pictures
    bool UnknownAsText = true;   // files of no known kind open as text
    QString CDPlaybackDrive;
    QString TextFontName;
    int TextFontSize = 0;        // points; 0 keeps the list's own size
    bool TextFontBold = false;
    bool TextFontItalic = false;
    int SortCol = 0;             // the detailed grid's sort column, 0 to 3 (4 Taken, 5 Dimensions)
    int SortDir = 0;             // 1 ascending, anything else descending
    int EdgeTuning = 40;         // threshold of the edge and emboss effects
    bool LoopSlide = false;      // the slide show starts again after the last file
    bool CDonTop = false;        // the CD player stays above other windows
    bool TakenColumn = false;    // the detailed grid shows when each photo was taken
    bool DimensionsColumn = false; // and the pictures' sizes
    QString RecentFolders;       // the last folders copied or moved to, newest first, "|" between

    // The folders of RecentFolders, and one put first (the oldest beyond
    // RecentCount go; a folder whose name holds "|" is not remembered).
    static constexpr int RecentCount = 5;
    QStringList recentFolders() const;
    void rememberFolder(const QString &folder);

    // The slide timer runs 1000 x delay ms: 0 would fire without pause, and a
    // delay beyond an hour looks like a stalled show. The setup dialog keeps
    // the delay in this range, and the timer too.
    static constexpr double SlideDelayMin = 0.5;
    static constexpr double SlideDelayMax = 3600;
    int slideIntervalMs() const;
};
