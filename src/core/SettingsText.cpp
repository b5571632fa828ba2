#include "core/SettingsText.h"

#include <algorithm>

#include <charconv>
#include <cmath>
#include <limits>

namespace SettingsText {

namespace {
std::optional<double> toNumber(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok); // C locale: "." is the decimal point
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

template <typename Int>
std::optional<Int> toRoundedInt(const QString &text)
{
    const auto v = toNumber(text);
    if (!v)
        return std::nullopt;
    const double r = std::nearbyint(*v); // default rounding mode: halves to even
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}
} // namespace

std::optional<float> toFloat(const QString &text)
{
    const auto v = toNumber(text);
    // The shortest text of the largest float ("3.4028235e+38") reads as a
    // double a little above it that still rounds to it; only what would
    // round to infinity is refused.
    constexpr double beyond = 3.4028235677973366e38;   // largest float + half a step
    constexpr double largest = double(std::numeric_limits<float>::max());
    if (!v || !(std::fabs(*v) < beyond))
        return std::nullopt;
    return static_cast<float>(std::clamp(*v, -largest, largest));
}

std::optional<int16_t> toInt16(const QString &text) { return toRoundedInt<int16_t>(text); }
std::optional<int32_t> toInt32(const QString &text) { return toRoundedInt<int32_t>(text); }

std::optional<bool> toBool(const QString &text)
{
    const QString t = text.trimmed();
    if (t.compare("True", Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare("False", Qt::CaseInsensitive) == 0)
        return false;
    const auto v = toNumber(t);
    if (!v)
        return std::nullopt;
    return *v != 0.0;
}

QString fromFloat(float value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    // to_chars may choose exponent form for large whole numbers; keep plain digits.
    if (text.contains('e') && std::fabs(value) < 1e15f && value == std::trunc(value))
        text = QString::number(static_cast<qlonglong>(value));
    return text;
}

QString fromInt(int64_t value) { return QString::number(static_cast<qlonglong>(value)); }
QString fromBool(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

} // namespace SettingsText
