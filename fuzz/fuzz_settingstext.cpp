// The settings text conversions: whatever is stored, reading must not
// fail badly, and what is written must read back as the same value.
#include "FuzzTarget.h"
#include "core/SettingsText.h"

#include <cmath>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    using namespace SettingsText;
    if (const auto f = toFloat(text)) {
        const auto back = toFloat(fromFloat(*f));
        if (!std::isnan(*f) && !std::isinf(*f) && (!back || (*back != *f && !(std::isnan(*back)))))
            __builtin_trap();
    }
    if (const auto i = toInt16(text)) {
        const auto back = toInt16(fromInt(*i));
        if (!back || *back != *i)
            __builtin_trap();
    }
    if (const auto i = toInt32(text)) {
        const auto back = toInt32(fromInt(*i));
        if (!back || *back != *i)
            __builtin_trap();
    }
    if (const auto b = toBool(text)) {
        const auto back = toBool(fromBool(*b));
        if (!back || *back != *b)
            __builtin_trap();
    }
    // Raw bytes as a float, too: every float must survive its text form.
    if (size >= sizeof(float)) {
        float v;
        std::memcpy(&v, data, sizeof v);
        const auto back = toFloat(fromFloat(v));
        if (!std::isnan(v) && !std::isinf(v) && (!back || *back != v))
            __builtin_trap();
    }
    return 0;
}
