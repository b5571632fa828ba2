#pragma once
// Straightforward pixel-by-pixel versions of the effects, written from the
// rules as they read (single reads and writes, loops one past each edge),
// to hold the scan-line code to them.
#include <QImage>
#include <cstdint>
#include <vector>

namespace ref {

// A picture area: colours 0x00BBGGRR, reads outside give -1, writes outside
// and writes of -1 do nothing.
struct Surface {
    int w = 0, h = 0;
    std::vector<int32_t> px;
    Surface(int w_, int h_, int32_t fill) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
    int32_t get(int x, int y) const { return x < 0 || y < 0 || x >= w || y >= h ? -1 : px[size_t(y) * w + x]; }
    void set(int x, int y, int32_t c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h && c != -1)
            px[size_t(y) * w + x] = c;
    }
};

Surface fromImage(const QImage &image);
QImage toImage(const Surface &s);

// split as the rules say: blue = floor(c / 65536), and so on
void split(int32_t c, int &r, int &g, int &b);

Surface tint(const Surface &s, int r, int g, int b, int drmod);
Surface brightness(const Surface &s, int mode, int intensity);
Surface rotate(const Surface &s, int shift); // the exact turn
Surface wave(const Surface &s, int amp, int wavelength, int32_t bg);
Surface edge(const Surface &s, int t);
Surface emboss(const Surface &s, int t);
Surface noise(const Surface &s);             // draws from Rnd()/RndRepeat()

} // namespace ref
