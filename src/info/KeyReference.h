#pragma once
#include <QStringList>

// The viewer's keys, one line each, in the command table's order (the list
// box sorts them for display).
const QStringList &keyReferenceLines();
