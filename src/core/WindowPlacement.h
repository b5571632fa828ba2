#pragma once
#include <QList>
#include <QRect>

// A stored window position and size may lie off every screen (a monitor
// since unplugged, a hand-edited settings file): the window is brought back
// where the user can reach it.
namespace WindowPlacement {

// The available area the stored rectangle belongs to: the one holding its
// centre, else the one it overlaps most, else the first (the primary).
QRect screenFor(const QRect &stored, const QList<QRect> &available);

// stored clamped into available: no larger than the area (but never below
// minimum), and moved inside it as far as its size allows.
QRect reachable(const QRect &stored, const QRect &available, const QSize &minimum);

} // namespace WindowPlacement
