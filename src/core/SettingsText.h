#pragma once
#include <QString>
#include <cstdint>
#include <optional>

// The text forms of stored option values. Reads return nothing when the text
// does not convert; the caller then keeps the key's default.
namespace SettingsText {

std::optional<float> toFloat(const QString &text);
// Rounds a fraction to the nearest integer, halves to the even neighbour.
std::optional<int16_t> toInt16(const QString &text);
std::optional<int32_t> toInt32(const QString &text);
// True/False in any letter case, or a number (0 false, anything else true).
std::optional<bool> toBool(const QString &text);

// The shortest text that reads back as the same 32-bit float; no decimals
// for a whole number.
QString fromFloat(float value);
QString fromInt(int64_t value);
QString fromBool(bool value);

} // namespace SettingsText
