#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class QIODevice;

struct BatchKey {
    int16_t keyCode = 0;
    int16_t shift = 0;
    QString name;        // as typed, for messages
};

struct KeyListParse {
    std::vector<BatchKey> keys;
    QString error;       // empty when every name was understood and allowed
};

// Parses "Shift+Z,Ctrl+Shift+U,T,8": comma-separated key names (letters,
// digits, Plus, Minus, Comma, Period, Up, Down, Left, Right, Home, End, Ins,
// Del, Space, Backspace, Esc), each after any of Shift+, Ctrl+, Alt+ (letter
// case ignored). Keys that need the viewer window are refused.
KeyListParse parseKeyList(const QString &text);

// Options that the run takes from the settings store in the program.
struct BatchSettings {
    int16_t edgeTuning = 40;
    int32_t bgColour = 0xFFFFFF;
};

// glintwave --apply KEYS [--screen WxH] [--seed N] [--out DIR] FILE...
// args are the arguments after the program's name, as the bytes the command
// line holds: a file name need not be valid UTF-8, and it is opened and
// printed as those bytes. Needs only a QGuiApplication on the offscreen
// platform (metafile text needs fonts): no display, no windowing system.
// Returns 0 when every file was saved (or --help was asked), 1 when a file
// failed, 2 for a refused command line (then nothing is written).
int runBatch(const QList<QByteArray> &args);
int runBatch(const QList<QByteArray> &args, const BatchSettings &settings, QIODevice &out, QIODevice &err);

// What --help prints.
QString batchUsage();
