#pragma once
#include <QString>
#include <array>

// The type boxes: box 0 is "All Files", boxes 1..15 one media type each as
// they always were, and after them one box per media page for today's
// formats: 16 pictures, 17 audio, 18 video; then 19, camera RAW pictures.
namespace TypeFilters {

constexpr int ClassicBoxCount = 16;
constexpr int BoxCount = 20;
using Ticks = std::array<bool, BoxCount>;

// The pattern of box i ("*.BMP"), which is also the caption of the boxes
// that were always there.
QString caption(int box);
// What box i shows: its pattern, or for the boxes of today's formats,
// whose patterns are too long for the page, a name for the kind (the
// pattern is then its tooltip).
QString label(int box);
// The tab page (0 Audio, 1 Video, 2 Picture, 3 Text) holding box i, -1 for box 0.
int pageOf(int box);
// The boxes of a page, top to bottom.
QList<int> boxesOnPage(int page);
extern const char *const TabCaptions[4];

// The ticked boxes' captions joined by ";" in index order ("" when none).
QString patternFromBoxes(const Ticks &ticks);
// The same with the custom pattern appended after a ";" when it is not empty
// and acceptable as a file pattern.
QString patternWithCustom(const Ticks &ticks, const QString &custom);

// The stored form: one character per box in index order, "1" ticked, so the
// first sixteen characters mean what they always did and the new boxes
// follow them.
QString toFilterText(const Ticks &ticks);
// Reads the stored form: character i+1 is box i, ticked only when it is "1".
// A box the text is too short for keeps its default: unticked for the first
// sixteen (as always), ticked for the new ones, so a sixteen-character text
// of an older Glintwave loads as it did with the new formats listed. A
// longer text is read in its first BoxCount characters.
Ticks fromFilterText(const QString &text);

} // namespace TypeFilters
