// The Flash header reader (including the zlib body of compressed movies).
#include "FuzzTarget.h"
#include "player/SwfInfo.h"

#include <cmath>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const SwfInfo info = readSwfInfo(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    if (!info.valid && info.problem.isEmpty())
        __builtin_trap();   // a refusal must say why
    if (info.valid) {
        const double seconds = info.playingSeconds();
        if (!(seconds >= 0) || std::isinf(seconds) || info.frameCount < 0)
            __builtin_trap();
    }
    return 0;
}
