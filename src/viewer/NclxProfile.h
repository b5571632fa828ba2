#pragma once
#include <QByteArray>

// An ICC profile for a picture whose colours are told by code points
// (ITU-T H.273, as HEIF and AVIF carry them): its primaries and white as
// chromaticities and its transfer code. Empty where the picture is sRGB
// already (BT.709 primaries with a BT.709 or sRGB curve) or where the
// transfer is one this cannot express (PQ and HLG are left as they are).
QByteArray nclxProfile(const float primaries[8], int transfer);
