#include "core/StoredOptions.h"

#include "core/SettingsStore.h"
#include "core/SettingsText.h"

#include <functional>
#include <optional>
#include <vector>

using namespace SettingsText;

namespace {

using S = StoredSettings;
using C = SettingsContext;

// One stored key: where its value lives, its default, and its text form.
struct StoredKey {
    QString name;
    std::function<void(const C &, S &)> setDefault;
    std::function<QString(const S &)> toText;
    std::function<void(const QString &, S &)> fromText;   // keeps the value when the text does not convert
};

template <typename T>
struct Codec {
    std::function<std::optional<T>(const QString &)> parse;
    std::function<QString(const T &)> format;
};

template <typename T, typename Access>
StoredKey key(const QString &name, Access access, std::function<T(const C &, const S &)> def,
              Codec<T> codec)
{
    StoredKey k;
    k.name = name;
    k.setDefault = [access, def](const C &c, S &s) { access(s) = def(c, s); };
    k.toText = [access, codec](const S &s) { return codec.format(access(s)); };
    k.fromText = [access, codec](const QString &text, S &s) {
        if (const auto v = codec.parse(text))
            access(s) = *v;
    };
    return k;
}

template <typename T>
std::function<T(const C &, const S &)> fixed(T value)
{
    return [value](const C &, const S &) { return value; };
}

const Codec<float> asFloat{toFloat, fromFloat};
const Codec<int> asInt16{[](const QString &t) -> std::optional<int> {
                             if (const auto v = toInt16(t)) return int(*v);
                             return std::nullopt;
                         },
                         [](const int &v) { return fromInt(v); }};
const Codec<int> asInt32{[](const QString &t) -> std::optional<int> {
                             if (const auto v = toInt32(t)) return int(*v);
                             return std::nullopt;
                         },
                         [](const int &v) { return fromInt(v); }};
const Codec<bool> asBool{toBool, fromBool};
const Codec<QString> asText{[](const QString &t) -> std::optional<QString> { return t; },
                            [](const QString &v) { return v; }};

// Check-box flags are stored as 16-bit numbers. Some are on when not 0,
// others only when exactly 1; both are written back as 0 or 1.
Codec<bool> flag16(bool onlyOne)
{
    return {[onlyOne](const QString &t) -> std::optional<bool> {
                const auto v = toInt16(t);
                if (!v) return std::nullopt;
                return onlyOne ? *v == 1 : *v != 0;
            },
            [](const bool &v) { return fromInt(v ? 1 : 0); }};
}

// Options kept as a number in text: a text that is not a number, or is
// outside what the option can mean, takes the default.
Codec<double> numberText(std::function<bool(double)> valid)
{
    return {[valid](const QString &t) -> std::optional<double> {
                const auto v = toFloat(t);
                if (!v || !valid(*v)) return std::nullopt;
                return double(*v);
            },
            [](const double &v) { return fromFloat(float(v)); }};
}
Codec<int> wholeNumberText(std::function<bool(double)> valid)
{
    const Codec<double> number = numberText(std::move(valid));
    return {[number](const QString &t) -> std::optional<int> {
                if (const auto v = number.parse(t)) return int(*v);
                return std::nullopt;
            },
            [](const int &v) { return fromInt(v); }};
}

// The viewer's background is stored as 0x00BBGGRR.
const Codec<QColor> asBgrColour{
    [](const QString &t) -> std::optional<QColor> {
        const auto v = toInt32(t);
        if (!v) return std::nullopt;
        return QColor(*v & 0xFF, (*v >> 8) & 0xFF, (*v >> 16) & 0xFF);
    },
    [](const QColor &c) { return fromInt(int32_t(c.red() | c.green() << 8 | c.blue() << 16)); }};

bool anyNumber(double) { return true; }

#define WIN(field) [](auto &s) -> auto & { return s.window.field; }
#define OPT(field) [](auto &s) -> auto & { return s.options.field; }

// Every key in the order it is written. Reading takes the same order except
// that the width and height come before the left and top edges, whose
// defaults centre the window and so depend on them.
const std::vector<StoredKey> &storedKeys()
{
    static const std::vector<StoredKey> keys = [] {
        std::vector<StoredKey> k;
        k.push_back(key<float>("MainLeft", WIN(MainLeft),
                               [](const C &c, const S &s) { return float((c.screenWidthTwips - s.window.MainWidth) / 2); },
                               asFloat));
        k.push_back(key<float>("MainTop", WIN(MainTop),
                               [](const C &c, const S &s) { return float((c.screenHeightTwips - s.window.MainHeight) / 2); },
                               asFloat));
        k.push_back(key<float>("MainWidth", WIN(MainWidth), fixed(6795.0f), asFloat));
        k.push_back(key<float>("MainHeight", WIN(MainHeight), fixed(5595.0f), asFloat));
        k.push_back(key<int>("View", OPT(ViewMode), fixed(0), wholeNumberText(anyNumber)));
        k.push_back(key<double>("ThumbSize", OPT(ThumbSize), fixed(100.0),
                                numberText([](double v) { return v >= 1; })));
        k.push_back(key<int>("WindowState", WIN(WindowState), fixed(0), asInt16));
        k.push_back(key<QString>("Filter", WIN(Filter), fixed(QString("011111111111111")), asText));
        k.push_back(key<QString>("Path", WIN(Path), [](const C &c, const S &) { return c.startFolder; }, asText));
        k.push_back(key<double>("SlideDelay", OPT(SlideDelay), fixed(5.0),
                                numberText([](double v) { return v > 0; })));
        k.push_back(key<bool>("ScaleBig", OPT(ScaleBig), fixed(false), flag16(false)));
        k.push_back(key<bool>("ScaleSmall", OPT(ScaleSmall), fixed(false), flag16(false)));
        k.push_back(key<bool>("TimingInfo", OPT(TimingInfo), fixed(true), flag16(false)));
        k.push_back(key<int>("VideoSize", OPT(VideoSize), fixed(0), asInt16));
        k.push_back(key<QColor>("BgColour", OPT(BgColour), fixed(QColor(Qt::white)), asBgrColour));
        k.push_back(key<bool>("UnknownAsText", OPT(UnknownAsText), fixed(true), flag16(true)));
        k.push_back(key<QString>("CDPlaybackDrive", OPT(CDPlaybackDrive), fixed(QString("D:")), asText));
        k.push_back(key<QString>("CustomFilter", WIN(CustomFilter), fixed(QString()), asText));
        k.push_back(key<QString>("TextFontName", OPT(TextFontName),
                                 [](const C &c, const S &) { return c.fontName; }, asText));
        k.push_back(key<int>("TextFontSize", OPT(TextFontSize),
                             [](const C &c, const S &) { return c.fontSize; }, asInt16));
        k.push_back(key<bool>("TextFontBold", OPT(TextFontBold), fixed(false), asBool));
        k.push_back(key<bool>("TextFontItalic", OPT(TextFontItalic), fixed(false), asBool));
        for (int i = 0; i < 4; ++i)
            k.push_back(key<int>(QString("DetailedCol%1").arg(i),
                                 [i](auto &s) -> auto & { return s.window.DetailedCol[i]; },
                                 fixed(detailedColumnDefault(i)), asInt32));
        k.push_back(key<int>("SortCol", OPT(SortCol), fixed(0), wholeNumberText(anyNumber)));
        k.push_back(key<int>("SortDir", OPT(SortDir), fixed(0), wholeNumberText(anyNumber)));
        k.push_back(key<int>("EdgeTuning", OPT(EdgeTuning), fixed(40), asInt16));
        k.push_back(key<bool>("LoopSlide", OPT(LoopSlide), fixed(false), flag16(true)));
        k.push_back(key<bool>("CDonTop", OPT(CDonTop), fixed(false), flag16(true)));
        k.push_back(key<bool>("TakenColumn", OPT(TakenColumn), fixed(false), flag16(true)));
        k.push_back(key<bool>("DimensionsColumn", OPT(DimensionsColumn), fixed(false), flag16(true)));
        k.push_back(key<QString>("RecentFolders", OPT(RecentFolders), fixed(QString()), asText));
        return k;
    }();
    return keys;
}

#undef WIN
#undef OPT

} // namespace

void readAllSettings(const SettingsStore &store, const SettingsContext &context, StoredSettings &s)
{
    const auto &keys = storedKeys();
    std::vector<const StoredKey *> order;
    for (const StoredKey &k : keys)
        order.push_back(&k);
    std::swap(order[0], order[2]);   // MainWidth, MainHeight, MainLeft, MainTop
    std::swap(order[1], order[3]);
    for (const StoredKey *k : order) {
        k->setDefault(context, s);
        k->fromText(store.GetSetting(k->name, k->toText(s)), s);
    }
}

void writeAllSettings(SettingsStore &store, const StoredSettings &s)
{
    for (const StoredKey &k : storedKeys())
        store.SaveSetting(k.name, k.toText(s));
}

int detailedColumnDefault(int column)
{
    static const int widths[4] = {3000, 1500, 2000, 4000};
    return column >= 0 && column < 4 ? widths[column] : 0;
}

QStringList storedKeyNames()
{
    QStringList names;
    for (const StoredKey &k : storedKeys())
        names << k.name;
    return names;
}
