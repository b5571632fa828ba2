#include "SwfWriter.h"

#include <QtEndian>

namespace {

class Bits {
public:
    void put(quint32 value, int n)
    {
        for (int i = n - 1; i >= 0; --i) {
            m_acc = (m_acc << 1) | ((value >> i) & 1);
            if (++m_count == 8) {
                m_out.append(char(m_acc));
                m_acc = 0;
                m_count = 0;
            }
        }
    }
    void putSigned(qint32 value, int n) { put(quint32(value) & ((n == 32) ? ~0u : ((1u << n) - 1)), n); }
    QByteArray flush()
    {
        if (m_count)
            put(0, 8 - m_count);
        return m_out;
    }

private:
    QByteArray m_out;
    quint32 m_acc = 0;
    int m_count = 0;
};

int signedBits(qint32 v)
{
    int n = 1;
    while (!(v >= -(qint64(1) << (n - 1)) && v < (qint64(1) << (n - 1))))
        ++n;
    return n;
}

QByteArray rect(qint32 xmin, qint32 xmax, qint32 ymin, qint32 ymax)
{
    int n = qMax(qMax(signedBits(xmin), signedBits(xmax)), qMax(signedBits(ymin), signedBits(ymax)));
    Bits b;
    b.put(n, 5);
    for (qint32 v : {xmin, xmax, ymin, ymax})
        b.putSigned(v, n);
    return b.flush();
}

void le16(QByteArray &a, quint16 v) { char b[2]; qToLittleEndian(v, b); a.append(b, 2); }
void le32(QByteArray &a, quint32 v) { char b[4]; qToLittleEndian(v, b); a.append(b, 4); }

QByteArray tag(int code, const QByteArray &body)
{
    QByteArray t;
    if (body.size() < 0x3f) {
        le16(t, quint16((code << 6) | body.size()));
    } else {
        le16(t, quint16((code << 6) | 0x3f));
        le32(t, quint32(body.size()));
    }
    return t + body;
}

QByteArray rgb(const QColor &c)
{
    QByteArray a;
    a.append(char(c.red())).append(char(c.green())).append(char(c.blue()));
    return a;
}

QByteArray squareShape(const SwfMovieShape &s)
{
    const QRect r = s.squareRect;
    const qint32 x = r.x() * 20, y = r.y() * 20, w = r.width() * 20, h = r.height() * 20;
    QByteArray body;
    le16(body, 1);                                   // character id
    body += rect(x, x + w, y, y + h);
    body.append(char(1)).append(char(0x00)) += rgb(s.square);   // one solid fill
    body.append(char(0));                            // no line styles
    Bits b;
    b.put(1, 4);                                     // fill bits
    b.put(0, 4);                                     // line bits
    // style change: move to the corner, fill style 1
    const int mb = qMax(signedBits(x), signedBits(y));
    b.put(0, 1); b.put(0, 1); b.put(0, 1); b.put(1, 1); b.put(0, 1); b.put(1, 1);
    b.put(mb, 5); b.putSigned(x, mb); b.putSigned(y, mb);
    b.put(1, 1);
    // four straight edges, clockwise
    auto edge = [&](bool vertical, qint32 d) {
        const int nb = qMax(2, signedBits(d));
        b.put(1, 1); b.put(1, 1); b.put(nb - 2, 4);
        b.put(0, 1); b.put(vertical ? 1 : 0, 1);
        b.putSigned(d, nb);
    };
    edge(false, w);
    edge(true, h);
    edge(false, -w);
    edge(true, -h);
    b.put(0, 6);                                     // end of shape
    return body + b.flush();
}

}

QByteArray buildSwf(const SwfMovieShape &s)
{
    QByteArray body = rect(0, s.stage.width() * 20, 0, s.stage.height() * 20);
    le16(body, quint16(qRound(s.frameRate * 256)));
    le16(body, quint16(s.frames));
    if (s.actionScript3 || s.version >= 8)
        body += tag(69, QByteArray(1, char(s.actionScript3 ? 0x08 : 0x00)) + QByteArray(3, '\0'));
    body += tag(9, rgb(s.background));
    body += tag(2, squareShape(s));
    QByteArray place;
    place.append(char(0x02));   // has character
    le16(place, 1);             // depth
    le16(place, 1);             // character id
    body += tag(26, place);
    for (int f = 1; f <= s.frames; ++f) {
        if (s.stopFrames.contains(f))
            body += tag(12, QByteArray("\x07\x00", 2));
        if (s.gotoFirstFrames.contains(f)) {
            QByteArray a("\x81\x02\x00\x00\x00\x06\x00", 7);   // go to frame 0, play, end
            body += tag(12, a);
        }
        body += tag(1, QByteArray());
    }
    body += tag(0, QByteArray());

    QByteArray out(s.compressed ? "CWS" : "FWS");
    out.append(char(s.version));
    le32(out, quint32(8 + body.size()));
    if (s.compressed)
        out += qCompress(body).mid(4);   // drop Qt's length prefix: a zlib stream remains
    else
        out += body;
    return out;
}
