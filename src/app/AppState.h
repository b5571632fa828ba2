#pragma once
#include <QString>

// Shared run-time state of the main window and the viewer (not persisted).
struct AppState {
    bool Loading = false;
    QString BrowseTarget;       // what the page browser opens when it loads
    int FileCount = 0;          // names in the last built list
    bool SlideShowRunning = false;
    bool PlaybackPaused = false;
    int DragOffsetX = 0;
    int DragOffsetY = 0;
    QString CommandLine;        // the file named on the command line, or empty
};

AppState &appState();
