#pragma once
#include <QStringList>

// The viewer's keys, one line each, in the order the key reference adds them
// (the list box sorts them for display).
const QStringList &keyReferenceLines();
