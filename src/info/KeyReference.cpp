#include "info/KeyReference.h"

#include "effects/ViewerCommands.h"

const QStringList &keyReferenceLines()
{
    static const QStringList lines = [] {
        QStringList all;
        for (const ViewerCommand &row : viewerCommands())
            if (!row.reference.isEmpty())
                all << row.reference;
        return all;
    }();
    return lines;
}
