#pragma once
#include <QString>
#include <optional>

// Red Book audio timing: 75 sectors ("frames") a second, 588 stereo
// 16-bit samples in each 2352-byte sector.
namespace tmsf {

constexpr int FramesPerSecond = 75;
constexpr int BytesPerSector = 2352;
constexpr int SamplesPerSector = 588;
constexpr int SampleRate = 44100;

struct Msf {
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};

Msf toMsf(long sectors);
long toSectors(int minutes, int seconds, int frames);

// "mm:ss:ff", two digits each (minutes may grow to three digits).
QString msfText(long sectors);
// "tt:mm:ss:ff".
QString tmsfText(int track, long sectorsIntoTrack);

// A time value as a command gives it: up to four (TMSF) or three (MSF)
// colon-separated decimal fields, leading fields first; missing trailing
// fields are 0. Fields out of range (seconds > 59, frames > 74) are refused.
struct TmsfValue {
    int track = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;
};
std::optional<TmsfValue> parseTmsf(const QString &text);
std::optional<long> parseMsf(const QString &text);   // sectors

} // namespace tmsf
