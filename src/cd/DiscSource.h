#pragma once
#include <QString>
#include <QVector>

// One track of the disc in the drive, in sectors from the first track's start.
struct TocEntry {
    int number = 0;
    long start = 0;
    long sectors = 0;
    bool audio = true;
};

struct Toc {
    QVector<TocEntry> tracks;
    long totalSectors() const
    {
        return tracks.isEmpty() ? 0 : tracks.last().start + tracks.last().sectors;
    }
};

// What the CD audio device plays from: a drive, or a disc image standing in
// for one. readAudio() may run on a stream's reader thread while the
// device's thread makes the other calls; each source guards its own state.
class DiscSource
{
public:
    virtual ~DiscSource() = default;

    // True when a readable disc is in. Checking may notice a changed disc;
    // discSerial() then returns a new number.
    virtual bool mediaPresent() = 0;
    virtual const Toc &toc() const = 0;
    // Bumped whenever a different disc (or the same disc re-inserted) is seen.
    virtual quint64 discSerial() const = 0;

    // Reads count audio sectors from sector (disc position) into out as
    // little-endian 16-bit stereo. Data tracks and anything past the last
    // track read as silence. Returns false when the disc cannot be read.
    virtual bool readAudio(long sector, int count, char *out) = 0;

    virtual bool openDoor() = 0;
    virtual bool closeDoor() = 0;
    virtual bool doorOpen() const = 0;
    // A one-line reason for the last failure, for the error text.
    virtual QString lastError() const = 0;
};
