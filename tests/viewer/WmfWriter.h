#pragma once
// Writes small Windows metafiles for the tests (no samples exist on the
// machine): the records a drawing program typically emits.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtEndian>

#include <vector>

class WmfWriter {
public:
    void setWindow(int x, int y, int w, int h)
    {
        record(0x0103, {8});                      // SETMAPMODE anisotropic
        record(0x020B, {w16(y), w16(x)});         // SETWINDOWORG
        record(0x020C, {w16(h), w16(w)});         // SETWINDOWEXT
    }
    int pen(int style, int width, quint32 colour)
    {
        record(0x02FA, {w16(style), w16(width), 0, lo(colour), hi(colour)});
        return newObject();
    }
    int brush(int style, quint32 colour, int hatch = 0)
    {
        record(0x02FC, {w16(style), lo(colour), hi(colour), w16(hatch)});
        return newObject();
    }
    int font(int height, const char *face, int weight = 400)
    {
        std::vector<quint16> p = {w16(height), 0, 0, 0, w16(weight), 0, 0, 0, 0};
        appendWords(p, QByteArray(face) + '\0');
        record(0x02FB, p);
        return newObject();
    }
    void select(int object) { record(0x012D, {w16(object)}); }
    void moveTo(int x, int y) { record(0x0214, {w16(y), w16(x)}); }
    void lineTo(int x, int y) { record(0x0213, {w16(y), w16(x)}); }
    void rectangle(int l, int t, int r, int b) { record(0x041B, {w16(b), w16(r), w16(t), w16(l)}); }
    void ellipse(int l, int t, int r, int b) { record(0x0418, {w16(b), w16(r), w16(t), w16(l)}); }
    void polygon(const std::vector<std::pair<int, int>> &pts)
    {
        std::vector<quint16> p = {w16(int(pts.size()))};
        for (auto [x, y] : pts) {
            p.push_back(w16(x));
            p.push_back(w16(y));
        }
        record(0x0324, p);
    }
    void textColour(quint32 colour) { record(0x0209, {lo(colour), hi(colour)}); }
    void transparentText() { record(0x0102, {1}); }
    void textOut(int x, int y, const QByteArray &text)
    {
        std::vector<quint16> p = {w16(int(text.size()))};
        appendWords(p, text);
        p.push_back(w16(y));
        p.push_back(w16(x));
        record(0x0521, p);
    }
    // A 24-bit bitmap stretched to the destination rectangle (SRCCOPY).
    void bitmap(const QImage &image, int x, int y, int w, int h)
    {
        // Qt's BMP file less its 14-byte file header is the DIB: a 24-bit, bottom-up bitmap.
        const QImage img = image.convertToFormat(QImage::Format_RGB32);
        QByteArray dib;
        QBuffer buffer(&dib);
        img.save(&buffer, "BMP");
        dib.remove(0, 14);
        std::vector<quint16> p = {lo(0x00CC0020), hi(0x00CC0020), 0, w16(img.height()), w16(img.width()), 0, 0,
                                  w16(h), w16(w), w16(y), w16(x)};
        appendWords(p, dib);
        record(0x0F43, p);
    }
    void raw(quint16 function, const std::vector<quint16> &params) { record(function, params); }

    // The whole file; placeable files carry a bounding box and units per inch.
    QByteArray data(bool placeable, int left = 0, int top = 0, int right = 0, int bottom = 0, int inch = 1440) const
    {
        QByteArray out;
        if (placeable) {
            std::vector<quint16> words = {0xCDD7, 0x9AC6, 0, w16(left), w16(top), w16(right), w16(bottom),
                                          w16(inch), 0, 0};
            quint16 sum = 0;
            for (quint16 w : words)
                sum ^= w;
            words.push_back(sum);
            for (quint16 w : words)
                put16(out, w);
        }
        QByteArray body = m_records;
        QByteArray end;
        put32(end, 3);
        put16(end, 0);
        body.append(end);
        const quint32 words = quint32(9 + body.size() / 2);
        put16(out, 1);
        put16(out, 9);
        put16(out, 0x0300);
        put32(out, words);
        put16(out, quint16(m_objects));
        put32(out, m_maxRecord);
        put16(out, 0);
        out.append(body);
        return out;
    }

private:
    static quint16 w16(int v) { return quint16(qint16(v)); }
    static quint16 lo(quint32 v) { return quint16(v & 0xFFFF); }
    static quint16 hi(quint32 v) { return quint16(v >> 16); }
    static void put16(QByteArray &b, quint16 v)
    {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    }
    static void put32(QByteArray &b, quint32 v)
    {
        put16(b, quint16(v & 0xFFFF));
        put16(b, quint16(v >> 16));
    }
    // Bytes as little-endian words, the last padded with a zero byte.
    static void appendWords(std::vector<quint16> &p, QByteArray bytes)
    {
        if (bytes.size() % 2)
            bytes.append('\0');
        for (int i = 0; i < bytes.size(); i += 2)
            p.push_back(quint16(uchar(bytes[i]) | (uchar(bytes[i + 1]) << 8)));
    }
    int newObject() { return m_objects++; }
    void record(quint16 function, const std::vector<quint16> &params)
    {
        const quint32 size = quint32(3 + params.size());
        put32(m_records, size);
        put16(m_records, function);
        for (quint16 p : params)
            put16(m_records, p);
        m_maxRecord = std::max(m_maxRecord, size);
    }

    QByteArray m_records;
    int m_objects = 0;
    quint32 m_maxRecord = 3;
};
