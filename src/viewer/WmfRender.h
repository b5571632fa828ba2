#pragma once
#include <QImage>
#include <QSize>
#include <QString>

#include "viewer/PictureDecoder.h"

#include <functional>

// Windows metafiles, drawn by libwmf's player onto a QPainter of ours.
namespace WmfRender {

// Longest side a metafile is drawn at when no size is asked for: metafiles
// without a physical size often claim tens of thousands of units.
constexpr int MaxNaturalSide = 4096;

// Time a single metafile may take to draw before it is given up.
constexpr double TimeLimitSeconds = 5.0;

// True when the bytes start like a metafile (placeable or plain header).
bool looksLikeWmf(const QByteArray &head);

// Draws the metafile at the size sizeFor gives for its natural size (its own
// size at 96 dpi, at most MaxNaturalSide on its longer side), or at the
// natural size when sizeFor is empty. White background, RGB32. On failure
// returns a null image and says why in *error.
QImage render(const QByteArray &data, const std::function<QSize(const QSize &)> &sizeFor,
              QString *error);
QImage render(const QString &path, const std::function<QSize(const QSize &)> &sizeFor,
              QString *error);

}

// Metafiles among Glintwave's own decoders.
class WmfDecoder : public PictureDecoder {
public:
    QByteArray format() const override { return "wmf"; }
    bool claims(const QByteArray &head) const override { return WmfRender::looksLikeWmf(head); }
    bool isVector() const override { return true; }
    QImage decode(const QByteArray &data, Sizes &sizes, QString *error) const override
    {
        return WmfRender::render(data, [&sizes](const QSize &natural) { return sizes.admit(natural, natural); },
                                 error);
    }
};
