#pragma once
#include <QString>
#include <QStringList>
#include <QVector>

// A cue sheet's tracks laid out as one disc. Each track runs from its
// INDEX 01 to the next track's INDEX 01 in the same file, or to the end of
// its file. PREGAP and POSTGAP lines describe silence that is in no file;
// they are accepted and left out of the disc's timing.
struct CueTrack {
    int number = 0;
    bool audio = true;
    int fileIndex = 0;        // into CueSheet::files
    qint64 fileOffset = 0;    // byte offset of INDEX 01 in that file
    int sectorSize = 2352;
    bool bigEndian = false;   // FILE ... MOTOROLA
    long discStart = 0;       // first sector on the disc (track 1 at 0)
    long sectors = 0;
};

struct CueSheet {
    QStringList files;        // absolute paths, in the order of the FILE lines
    QVector<CueTrack> tracks; // in disc order
    long totalSectors() const;
};

// Reads the cue sheet at path and checks it against its data files.
// Returns false with a one-line reason in error for anything it cannot use
// (missing file, unknown file or track type, bad time, no tracks, tracks
// not numbered 1, 2, 3, ..., a track that starts beyond the end of its file).
bool parseCueSheet(const QString &path, CueSheet &sheet, QString &error);
