#pragma once
#include <QByteArray>
#include <QString>

// Run-time state the main window shares with the viewer (never stored).
struct AppState {
    bool Loading = false;        // the main window's load arranges without building
    QString BrowseTarget;        // what the page browser opens when it loads
    int FileCount = 0;           // names in the last built list
    bool SlideShowRunning = false;
    bool PlaybackPaused = false;
    QString CommandLine;         // the file named on the command line, or empty
    QByteArray CommandLineBytes; // the same as given, byte for byte
    QString DecodingNotice;      // why pictures are decoded with less isolation, or empty
};
