#include "StoredOptions.h"

#include "SettingsStore.h"
#include "SettingsText.h"

#include <functional>

using namespace SettingsText;

namespace {

// Read helpers: the default goes through the same text form as a stored value.
template <typename T, typename Conv, typename Fmt>
T readValue(const SettingsStore &store, const char *key, T def, Conv convert, Fmt format)
{
    const auto v = convert(store.GetSetting(key, format(def)));
    return v ? *v : def;
}

float readFloat(const SettingsStore &s, const char *key, float def)
{
    return readValue(s, key, def, toFloat, fromFloat);
}
int16_t readInt16(const SettingsStore &s, const char *key, int16_t def)
{
    return readValue(s, key, def, toInt16, [](int16_t v) { return fromInt(v); });
}
int32_t readInt32(const SettingsStore &s, const char *key, int32_t def)
{
    return readValue(s, key, def, toInt32, [](int32_t v) { return fromInt(v); });
}
bool readBool(const SettingsStore &s, const char *key, bool def)
{
    return readValue(s, key, def, toBool, fromBool);
}

// Options kept as text but used as numbers: a text that is not a number, or
// is outside what the option can mean, takes the default.
QString readNumberText(const SettingsStore &s, const char *key, const QString &def,
                       const std::function<bool(float)> &valid)
{
    const QString text = s.GetSetting(key, def);
    const auto v = toFloat(text);
    return (v && valid(*v)) ? text.trimmed() : def;
}

} // namespace

void readAllSettings(const SettingsStore &s, const SettingsContext &c, WindowSettings &w,
                     OptionSet &o)
{
    w.MainWidth = readFloat(s, "MainWidth", 6795);
    w.MainHeight = readFloat(s, "MainHeight", 5595);
    w.MainLeft = readFloat(s, "MainLeft", float((c.screenWidthTwips - w.MainWidth) / 2));
    w.MainTop = readFloat(s, "MainTop", float((c.screenHeightTwips - w.MainHeight) / 2));
    o.ViewMode = readNumberText(s, "View", "0", [](float) { return true; });
    o.ThumbSize = readNumberText(s, "ThumbSize", "100", [](float v) { return v >= 1; });
    w.WindowState = readInt16(s, "WindowState", 0);
    w.Filter = s.GetSetting("Filter", "011111111111111");
    w.Path = s.GetSetting("Path", c.startFolder);
    o.SlideDelay = readNumberText(s, "SlideDelay", "5", [](float v) { return v > 0; });
    o.ScaleBig = readInt16(s, "ScaleBig", 0);
    o.ScaleSmall = readInt16(s, "ScaleSmall", 0);
    o.TimingInfo = readInt16(s, "TimingInfo", 1);
    o.VideoSize = readInt16(s, "VideoSize", 0);
    o.BgColour = readInt32(s, "BgColour", 16777215);
    o.UnknownAsText = readInt16(s, "UnknownAsText", 1);
    o.CDPlaybackDrive = s.GetSetting("CDPlaybackDrive", "D:");
    w.CustomFilter = s.GetSetting("CustomFilter", "");
    o.TextFontName = s.GetSetting("TextFontName", c.fontName);
    o.TextFontSize = readInt16(s, "TextFontSize", c.fontSize);
    o.TextFontBold = readBool(s, "TextFontBold", false);
    o.TextFontItalic = readBool(s, "TextFontItalic", false);
    w.DetailedCol[0] = readInt32(s, "DetailedCol0", 3000);
    w.DetailedCol[1] = readInt32(s, "DetailedCol1", 1500);
    w.DetailedCol[2] = readInt32(s, "DetailedCol2", 2000);
    w.DetailedCol[3] = readInt32(s, "DetailedCol3", 4000);
    o.SortCol = readNumberText(s, "SortCol", "0", [](float) { return true; });
    o.SortDir = readNumberText(s, "SortDir", "0", [](float) { return true; });
    o.EdgeTuning = readInt16(s, "EdgeTuning", 40);
    o.LoopSlide = readInt16(s, "LoopSlide", 0);
    o.CDonTop = readInt16(s, "CDonTop", 0);
}

void writeAllSettings(SettingsStore &s, const WindowSettings &w, const OptionSet &o)
{
    s.SaveSetting("MainLeft", fromFloat(w.MainLeft));
    s.SaveSetting("MainTop", fromFloat(w.MainTop));
    s.SaveSetting("MainWidth", fromFloat(w.MainWidth));
    s.SaveSetting("MainHeight", fromFloat(w.MainHeight));
    s.SaveSetting("View", o.ViewMode);
    s.SaveSetting("ThumbSize", o.ThumbSize);
    s.SaveSetting("WindowState", fromInt(w.WindowState));
    s.SaveSetting("Filter", w.Filter);
    s.SaveSetting("Path", w.Path);
    s.SaveSetting("SlideDelay", o.SlideDelay);
    s.SaveSetting("ScaleBig", fromInt(o.ScaleBig));
    s.SaveSetting("ScaleSmall", fromInt(o.ScaleSmall));
    s.SaveSetting("TimingInfo", fromInt(o.TimingInfo));
    s.SaveSetting("VideoSize", fromInt(o.VideoSize));
    s.SaveSetting("BgColour", fromInt(o.BgColour));
    s.SaveSetting("UnknownAsText", fromInt(o.UnknownAsText));
    s.SaveSetting("CDPlaybackDrive", o.CDPlaybackDrive);
    s.SaveSetting("CustomFilter", w.CustomFilter);
    s.SaveSetting("TextFontName", o.TextFontName);
    s.SaveSetting("TextFontSize", fromInt(o.TextFontSize));
    s.SaveSetting("TextFontBold", fromBool(o.TextFontBold));
    s.SaveSetting("TextFontItalic", fromBool(o.TextFontItalic));
    for (int i = 0; i < 4; ++i)
        s.SaveSetting(QString("DetailedCol%1").arg(i), fromInt(w.DetailedCol[i]));
    s.SaveSetting("SortCol", o.SortCol);
    s.SaveSetting("SortDir", o.SortDir);
    s.SaveSetting("EdgeTuning", fromInt(o.EdgeTuning));
    s.SaveSetting("LoopSlide", fromInt(o.LoopSlide));
    s.SaveSetting("CDonTop", fromInt(o.CDonTop));
}
