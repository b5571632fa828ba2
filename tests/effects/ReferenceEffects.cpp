#include "ReferenceEffects.h"

#include "core/Rnd.h"

#include <cmath>
#include <cstdlib>

namespace ref {

Surface fromImage(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    Surface s(img.width(), img.height(), 0);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) {
            const QRgb p = img.pixel(x, y);
            s.px[size_t(y) * s.w + x] = qRed(p) + 256 * qGreen(p) + 65536 * qBlue(p);
        }
    return s;
}

QImage toImage(const Surface &s)
{
    QImage img(s.w, s.h, QImage::Format_RGB32);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) {
            int r, g, b;
            split(s.get(x, y), r, g, b);
            img.setPixel(x, y, qRgb(r, g, b));
        }
    return img;
}

void split(int32_t c, int &r, int &g, int &b)
{
    const double v = c == -1 ? -1.0 : double(c);
    b = int(std::floor(v / 65536));
    g = int(std::floor((v - b * 65536.0) / 256));
    r = int(v - b * 65536.0 - g * 256.0);
}

static int32_t rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

Surface tint(const Surface &s, int r, int g, int b, int drmod)
{
    Surface out = s;
    const int32_t c = rgb(r, g, b);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) {
            const int32_t p = s.get(x, y);
            int32_t v = p;
            if (drmod == 6) v = p ^ 0xffffff;
            if (drmod == 7) v = p ^ c;
            if (drmod == 9) v = p & c;
            if (drmod == 15) v = p | c;
            out.set(x, y, v);
        }
    return out;
}

Surface brightness(const Surface &s, int mode, int intensity)
{
    int a = 5 * 5 * (intensity + 1);
    if (mode == 1)
        a = -a;
    Surface out(s.w, s.h, 0);
    for (int x = 0; x <= s.w; ++x)
        for (int y = 0; y <= s.h; ++y) {
            int r, g, b;
            split(s.get(x, y), r, g, b);
            int c[3] = {r + a, g + a, b + a};
            for (int &v : c)
                v = v < 0 ? 0 : v > 255 ? 255 : v;
            out.set(x, y, rgb(c[0], c[1], c[2]));
        }
    return out;
}

Surface rotate(const Surface &s, int shift)
{
    Surface out = shift == 1 ? Surface(s.w, s.h, 0) : Surface(s.h, s.w, 0);
    for (int x = 0; x <= s.w; ++x)
        for (int y = 0; y <= s.h; ++y) {
            const int32_t c = s.get(x, y);
            if (shift == 1) out.set(out.w - 1 - x, out.h - 1 - y, c);
            if (shift == 2) out.set(y, out.h - 1 - x, c);
            if (shift == 0) out.set(out.w - 1 - y, x, c);
        }
    return out;
}

Surface wave(const Surface &s, int amp, int wavelength, int32_t bg)
{
    Surface out(s.w, s.h, bg);
    for (int x = 0; x <= s.w; ++x)
        for (int y = 0; y <= s.h; ++y) {
            const double sn = std::sin(double(x) / double(wavelength));
            const int32_t c = s.get(x, y);
            out.set(x, int(std::nearbyint(amp * sn + y)), c);
        }
    return out;
}

static void diffs(const Surface &s, int x, int y, int &d1, int &s1, int &d2, int &s2)
{
    int r0, g0, b0, r1, g1, b1, r2, g2, b2;
    split(s.get(x, y), r0, g0, b0);
    split(s.get(x + 1, y), r1, g1, b1);
    split(s.get(x, y + 1), r2, g2, b2);
    d1 = std::abs(r1 - r0) + std::abs(g1 - g0) + std::abs(b1 - b0);
    s1 = (r1 - r0) + (g1 - g0) + (b1 - b0);
    d2 = std::abs(r2 - r0) + std::abs(g2 - g0) + std::abs(b2 - b0);
    s2 = (r2 - r0) + (g2 - g0) + (b2 - b0);
}

Surface edge(const Surface &s, int t)
{
    Surface out(s.w, s.h, 0x123456);
    for (int x = 0; x <= s.w; x += 2)
        for (int y = 0; y <= s.h; y += 2) {
            int d1, s1, d2, s2;
            diffs(s, x, y, d1, s1, d2, s2);
            const int32_t top = d1 > t ? 0 : rgb(255, 255, 255);
            out.set(x, y, top);
            out.set(x + 1, y, top);
            const int32_t bottom = d2 > t ? 0 : rgb(255, 255, 255);
            out.set(x, y + 1, bottom);
            out.set(x + 1, y + 1, bottom);
        }
    return out;
}

Surface emboss(const Surface &s, int t)
{
    Surface out(s.w, s.h, 0x123456);
    const int32_t grey = rgb(125, 125, 125), white = rgb(255, 255, 255);
    for (int x = 0; x <= s.w; x += 2)
        for (int y = 0; y <= s.h; y += 2) {
            int d1, s1, d2, s2;
            diffs(s, x, y, d1, s1, d2, s2);
            const int32_t top = d1 > t ? (s1 < 0 ? white : 0) : grey;
            out.set(x, y, top);
            out.set(x + 1, y, top);
            const int32_t bottom = d2 > t ? (s2 < 0 ? white : 0) : grey;
            out.set(x, y + 1, bottom);
            out.set(x + 1, y + 1, bottom);
        }
    return out;
}

Surface noise(const Surface &s)
{
    Surface out(s.w, s.h, 0);
    for (int x = 0; x <= s.w; ++x)
        for (int y = 0; y <= s.h; ++y) {
            const double u = x > 0 ? Rnd() : RndRepeat();
            const int32_t c = s.get(x, y);
            out.set(x, int(std::nearbyint(u + y)), c);
        }
    return out;
}

} // namespace ref
