#pragma once
#include <QString>
#include <array>

// The sixteen type boxes: box 0 is "All Files", boxes 1..15 one media type each.
namespace TypeFilters {

constexpr int BoxCount = 16;
using Ticks = std::array<bool, BoxCount>;

// The caption of box i, which is also its pattern.
QString caption(int box);
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

// The stored form: one character per box, "1" ticked.
QString toFilterText(const Ticks &ticks);
// Reads the stored form: character i+1 is box i; a missing or non-numeric
// character leaves the box unticked, a longer text is read in its first 16.
Ticks fromFilterText(const QString &text);

} // namespace TypeFilters
