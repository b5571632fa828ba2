#include "player/SwfInfo.h"

#include <QFile>
#include <QtEndian>

namespace {

// Movies larger than this are not examined (the player still plays them).
constexpr qint64 MaxExamined = 64 * 1024 * 1024;

enum Tag {
    End = 0, ShowFrame = 1, DefineButton = 7, DoAction = 12, DefineButton2 = 34,
    DefineSprite = 39, FileAttributes = 69, DoABC1 = 72, DoABC2 = 82, DoInitAction = 59,
};

struct Reader {
    const uchar *p;
    qint64 size;
    qint64 pos = 0;
    bool ok = true;

    bool need(qint64 n)
    {
        if (n < 0 || pos + n > size)
            ok = false;
        return ok;
    }
    quint16 u16()
    {
        if (!need(2)) return 0;
        const quint16 v = qFromLittleEndian<quint16>(p + pos);
        pos += 2;
        return v;
    }
    quint32 u32()
    {
        if (!need(4)) return 0;
        const quint32 v = qFromLittleEndian<quint32>(p + pos);
        pos += 4;
        return v;
    }
    // A RECT: 5 bits of field width, then four signed fields of that width.
    QSize rectSize()
    {
        if (!need(1)) return {};
        const int nbits = p[pos] >> 3;
        const qint64 bits = 5 + 4 * qint64(nbits);
        const qint64 bytes = (bits + 7) / 8;
        if (!need(bytes)) return {};
        qint64 bit = 5;
        auto field = [&]() {
            qint64 v = 0;
            for (int i = 0; i < nbits; ++i, ++bit)
                v = (v << 1) | ((p[pos + bit / 8] >> (7 - bit % 8)) & 1);
            if (nbits > 0 && (v & (qint64(1) << (nbits - 1))))
                v -= qint64(1) << nbits;
            return v;
        };
        const qint64 xmin = field(), xmax = field(), ymin = field(), ymax = field();
        pos += bytes;
        return QSize(int((xmax - xmin) / 20), int((ymax - ymin) / 20));
    }
};

// True when an action block holds a stop and nothing that could move the
// play head elsewhere or do anything else.
bool isLoneStop(const uchar *p, qint64 size)
{
    bool stop = false;
    qint64 i = 0;
    while (i < size) {
        const uchar code = p[i++];
        if (code == 0x00)
            break;
        if (code == 0x07)        // stop
            stop = true;
        else if (code != 0x09)   // stop sounds is harmless too
            return false;
        if (code >= 0x80) {
            if (i + 2 > size) return false;
            i += 2 + qFromLittleEndian<quint16>(p + i);
        }
    }
    return stop;
}

struct Scan {
    int frames = 0;
    int stopFrame = 0;            // the root frame holding the lone stop
    bool scripted = false;        // anything we cannot follow
    bool actionsInFrame = false;  // the root frame being read has actions
    bool onlyStops = true;        // ... and they are all lone stops
};

void scanTags(Reader &r, qint64 end, Scan &s, bool inSprite)
{
    while (r.ok && r.pos + 2 <= end) {
        const quint16 head = r.u16();
        const int code = head >> 6;
        qint64 len = head & 0x3f;
        if (len == 0x3f)
            len = r.u32();
        if (!r.ok || len > end - r.pos) {
            r.ok = false;
            return;
        }
        const qint64 body = r.pos;
        switch (code) {
        case End:
            if (!inSprite && s.actionsInFrame)   // actions after the last frame
                s.scripted = true;
            r.pos = body + len;
            return;
        case ShowFrame:
            if (!inSprite) {
                ++s.frames;
                if (s.actionsInFrame) {
                    // A stop before the last frame waits there for ever.
                    if (s.onlyStops && s.stopFrame == 0)
                        s.stopFrame = s.frames;
                    else
                        s.scripted = true;
                }
                s.actionsInFrame = false;
                s.onlyStops = true;
            }
            break;
        case DoAction:
            if (inSprite) {
                s.scripted = true;   // a clip's script may drive the whole movie
            } else {
                s.actionsInFrame = true;
                if (!isLoneStop(r.p + body, len))
                    s.onlyStops = false;
            }
            break;
        case FileAttributes:
            if (len >= 1 && (r.p[body] & 0x08))   // ActionScript 3
                s.scripted = true;
            break;
        case DoInitAction: case DoABC1: case DoABC2:
        case DefineButton: case DefineButton2:
            s.scripted = true;
            break;
        case DefineSprite:
            if (len >= 4) {
                Reader sub = r;
                sub.pos = body + 4;
                scanTags(sub, body + len, s, true);
            }
            break;
        default:
            break;
        }
        r.pos = body + len;
    }
}

}

double SwfInfo::playingSeconds() const
{
    return (frameRate > 0 && frameCount > 0) ? frameCount / frameRate : 0;
}

SwfInfo readSwfInfo(const QByteArray &bytes)
{
    SwfInfo info;
    info.problem = QStringLiteral("not a Flash movie");
    if (bytes.size() < 8)
        return info;
    const char sig = bytes[0];
    if ((sig != 'F' && sig != 'C' && sig != 'Z') || bytes[1] != 'W' || bytes[2] != 'S')
        return info;
    info.version = uchar(bytes[3]);
    const quint32 declared = qFromLittleEndian<quint32>(bytes.constData() + 4);
    QByteArray body;
    if (sig == 'F') {
        body = bytes.mid(8);
    } else if (sig == 'C') {
        info.compressed = true;
        if (declared < 8) {
            info.problem = QStringLiteral("the movie is damaged");
            return info;
        }
        if (declared > MaxExamined) {
            // Too big to unpack here; the player itself may still manage.
            info.valid = true;
            info.problem.clear();
            return info;
        }
        // qUncompress wants the expected size in front, big-endian.
        QByteArray z(4, '\0');
        qToBigEndian<quint32>(declared - 8, z.data());
        z += bytes.mid(8);
        body = qUncompress(z);
        if (body.isEmpty()) {
            info.problem = QStringLiteral("the movie is damaged");
            return info;
        }
    } else {
        // LZMA movies play, but we do not look inside them.
        info.compressed = true;
        info.valid = true;
        info.problem.clear();
        return info;
    }

    Reader r{reinterpret_cast<const uchar *>(body.constData()), body.size()};
    info.stageSize = r.rectSize();
    const quint16 rate = r.u16();   // 8.8 fixed point
    info.frameRate = rate / 256.0;
    info.frameCount = r.u16();
    if (!r.ok) {
        info.problem = QStringLiteral("the movie is damaged");
        return info;
    }
    info.valid = true;
    info.problem.clear();

    Scan s;
    scanTags(r, r.size, s, false);
    // A damaged tag list may still play; we just cannot vouch for its end.
    info.stopsOnLastFrame = r.ok && !s.scripted && s.frames > 0 && s.stopFrame == s.frames;
    return info;
}

SwfInfo readSwfInfoFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        SwfInfo info;
        info.problem = QStringLiteral("the file cannot be read");
        return info;
    }
    if (f.size() > MaxExamined) {
        // Judge only the signature; the end of such a movie stays unknown.
        const QByteArray head = f.read(8);
        SwfInfo info;
        info.valid = head.size() == 8 && (head[0] == 'F' || head[0] == 'C' || head[0] == 'Z')
            && head.mid(1, 2) == "WS";
        info.problem = info.valid ? QString() : QStringLiteral("not a Flash movie");
        return info;
    }
    return readSwfInfo(f.readAll());
}
