#include "viewer/PictureDecoders.h"

#include "viewer/HeifDecoder.h"
#include "viewer/SvgDecoder.h"

#include <QFile>

namespace PictureDecoders {

Decoded read(const QString &path, const std::function<QSize(const QSize &)> &rule)
{
    Decoded d;
    QByteArray head;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return d;
        head = file.read(4096);
    }
    if (HeifDecoder::looksLikeHeif(head)) {
        d.owned = true;
        d.image = HeifDecoder::decode(path, rule, &d.sourceSize, &d.error);
    } else if (SvgDecoder::looksLikeSvg(head)) {
        d.owned = true;
        d.image = SvgDecoder::render(path, rule, &d.sourceSize, &d.error);
    }
    return d;
}

}
