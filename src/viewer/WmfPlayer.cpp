#include "viewer/WmfPlayer.h"

#include <libwmf/api.h>
#include <libwmf/defs.h>
#include <libwmf/ipa.h>
#include <libwmf/macro.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

using wmfdraw::Point;

struct wmfplay::WmfPlayer::Device {
    wmfdraw::Canvas *canvas = nullptr;
    wmfD_Rect bbox{};
    double sx = 1, sy = 1;                // output pixels per device unit
    double maxPen = 1;                    // widest pen we draw, in pixels
    std::chrono::steady_clock::time_point deadline;
    bool timedOut = false;
};

namespace {

using Device = wmfplay::WmfPlayer::Device;

thread_local Device *g_creating = nullptr;

Device *dev(wmfAPI *api) { return static_cast<Device *>(api->device_data); }

Point map(wmfAPI *api, const wmfD_Coord &c)
{
    const Device *d = dev(api);
    return {(double(c.x) - d->bbox.TL.x) * d->sx, (double(c.y) - d->bbox.TL.y) * d->sy};
}

wmfdraw::Rgb rgb(const wmfRGB &c) { return {c.r, c.g, c.b}; }

bool toDraw(wmfDC *dc) { return dc->pen && WMF_PEN_STYLE(dc->pen) != PS_NULL; }
bool toFill(wmfDC *dc) { return dc->brush && WMF_BRUSH_STYLE(dc->brush) != BS_NULL; }

void applyPen(wmfAPI *api, wmfDC *dc)
{
    Device *d = dev(api);
    wmfdraw::Pen pen;
    wmfPen *p = dc->pen;
    if (!p) {
        pen.style = wmfdraw::LineStyle::None;
        d->canvas->setPen(pen);
        return;
    }
    pen.colour = rgb(*WMF_PEN_COLOR(p));
    // A hostile file can ask for pens millions of pixels wide, which takes
    // any rasteriser minutes: no pen is wider than the picture.
    double w = (std::fabs(WMF_PEN_WIDTH(p)) * d->sx + std::fabs(WMF_PEN_HEIGHT(p)) * d->sy) / 2;
    if (!std::isfinite(w) || w < 1)
        w = 1;
    pen.width = std::min(w, d->maxPen);
    switch (WMF_PEN_STYLE(p)) {
    case PS_DASH: pen.style = wmfdraw::LineStyle::Dash; break;
    case PS_DOT:
    case PS_ALTERNATE: pen.style = wmfdraw::LineStyle::Dot; break;
    case PS_DASHDOT: pen.style = wmfdraw::LineStyle::DashDot; break;
    case PS_DASHDOTDOT: pen.style = wmfdraw::LineStyle::DashDotDot; break;
    case PS_NULL: pen.style = wmfdraw::LineStyle::None; break;
    default: pen.style = wmfdraw::LineStyle::Solid; break;
    }
    switch (WMF_PEN_ENDCAP(p)) {
    case PS_ENDCAP_SQUARE: pen.cap = wmfdraw::Cap::Square; break;
    case PS_ENDCAP_FLAT: pen.cap = wmfdraw::Cap::Flat; break;
    default: pen.cap = wmfdraw::Cap::Round; break;
    }
    switch (WMF_PEN_JOIN(p)) {
    case PS_JOIN_BEVEL: pen.join = wmfdraw::Join::Bevel; break;
    case PS_JOIN_MITER: pen.join = wmfdraw::Join::Miter; break;
    default: pen.join = wmfdraw::Join::Round; break;
    }
    d->canvas->setPen(pen);
}

int bitmapHandle(const wmfBMP &bmp)
{
    return bmp.data ? int(reinterpret_cast<intptr_t>(bmp.data)) - 1 : -1;
}

void applyBrush(wmfAPI *api, wmfDC *dc)
{
    Device *d = dev(api);
    wmfdraw::Brush brush;
    wmfBrush *b = dc->brush;
    brush.opaqueBackground = WMF_DC_OPAQUE(dc);
    brush.background = rgb(*WMF_DC_BACKGROUND(dc));
    if (!b) {
        brush.style = wmfdraw::FillStyle::None;
    } else {
        brush.colour = rgb(*WMF_BRUSH_COLOR(b));
        switch (WMF_BRUSH_STYLE(b)) {
        case BS_NULL: brush.style = wmfdraw::FillStyle::None; break;
        case BS_HATCHED:
            brush.style = wmfdraw::FillStyle::Hatched;
            brush.hatch = WMF_BRUSH_HATCH(b);
            break;
        case BS_PATTERN:
        case BS_DIBPATTERN:
        case BS_DIBPATTERNPT:
        case BS_PATTERN8X8:
        case BS_DIBPATTERN8X8:
            brush.pattern = bitmapHandle(*WMF_BRUSH_BITMAP(b));
            brush.style = brush.pattern >= 0 ? wmfdraw::FillStyle::Pattern : wmfdraw::FillStyle::Solid;
            break;
        default: brush.style = wmfdraw::FillStyle::Solid; break;
        }
    }
    d->canvas->setBrush(brush);
    d->canvas->setWindingFill(WMF_DC_POLYFILL(dc) == WINDING);
}

void applyBoth(wmfAPI *api, wmfDC *dc)
{
    applyPen(api, dc);
    applyBrush(api, dc);
}

void noBrush(wmfAPI *api)
{
    wmfdraw::Brush none;
    none.style = wmfdraw::FillStyle::None;
    dev(api)->canvas->setBrush(none);
}

// --- device layer ---------------------------------------------------------

void deviceNoop(wmfAPI *) {}

void floodNoop(wmfAPI *, wmfFlood_t *) {}

void drawPixel(wmfAPI *api, wmfDrawPixel_t *p)
{
    dev(api)->canvas->pixel(map(api, p->pt), rgb(p->color));
}

void arcCommon(wmfAPI *api, wmfDrawArc_t *a, wmfdraw::ArcKind kind)
{
    Device *d = dev(api);
    const bool open = kind == wmfdraw::ArcKind::Open;
    if (!toDraw(a->dc) && (open || !toFill(a->dc)))
        return;
    // The player gives start and end relative to the centre, in device units
    // (y down), already turned for its y-down space: seen on screen the arc
    // runs anticlockwise from its end point to its start point.
    const double a0 = std::atan2(-double(a->start.y) * d->sy, double(a->start.x) * d->sx);
    const double a1 = std::atan2(-double(a->end.y) * d->sy, double(a->end.x) * d->sx);
    double start = a1 * 180.0 / M_PI;
    double span = (a0 - a1) * 180.0 / M_PI;
    if (span <= 0)
        span += 360;
    applyPen(api, a->dc);
    if (open)
        noBrush(api);
    else
        applyBrush(api, a->dc);
    d->canvas->arc(map(api, a->TL), map(api, a->BR), start, span, kind);
}

void drawPie(wmfAPI *api, wmfDrawArc_t *a) { arcCommon(api, a, wmfdraw::ArcKind::Pie); }
void drawChord(wmfAPI *api, wmfDrawArc_t *a) { arcCommon(api, a, wmfdraw::ArcKind::Chord); }
void drawArc(wmfAPI *api, wmfDrawArc_t *a) { arcCommon(api, a, wmfdraw::ArcKind::Open); }

void drawEllipse(wmfAPI *api, wmfDrawArc_t *a)
{
    if (!toDraw(a->dc) && !toFill(a->dc))
        return;
    applyBoth(api, a->dc);
    dev(api)->canvas->ellipse(map(api, a->TL), map(api, a->BR));
}

void drawLine(wmfAPI *api, wmfDrawLine_t *l)
{
    if (!toDraw(l->dc))
        return;
    applyPen(api, l->dc);
    dev(api)->canvas->line(map(api, l->from), map(api, l->to));
}

std::vector<Point> points(wmfAPI *api, const wmfD_Coord *pt, unsigned count)
{
    std::vector<Point> out;
    out.reserve(count);
    for (unsigned i = 0; i < count; ++i)
        out.push_back(map(api, pt[i]));
    return out;
}

void polyLine(wmfAPI *api, wmfPolyLine_t *p)
{
    if (p->count < 2 || !toDraw(p->dc))
        return;
    applyPen(api, p->dc);
    dev(api)->canvas->polyline(points(api, p->pt, p->count));
}

void drawPolygon(wmfAPI *api, wmfPolyLine_t *p)
{
    if (p->count < 3 || (!toDraw(p->dc) && !toFill(p->dc)))
        return;
    applyBoth(api, p->dc);
    dev(api)->canvas->polygons({points(api, p->pt, p->count)});
}

void drawPolyPolygon(wmfAPI *api, wmfPolyPoly_t *p)
{
    if (!toDraw(p->dc) && !toFill(p->dc))
        return;
    std::vector<std::vector<Point>> all;
    for (unsigned i = 0; i < p->npoly; ++i) {
        if (p->pt[i] && p->count[i] >= 3)
            all.push_back(points(api, p->pt[i], p->count[i]));
    }
    if (all.empty())
        return;
    applyBoth(api, p->dc);
    dev(api)->canvas->polygons(all);
}

void drawRectangle(wmfAPI *api, wmfDrawRectangle_t *r)
{
    if (!toDraw(r->dc) && !toFill(r->dc))
        return;
    Device *d = dev(api);
    applyBoth(api, r->dc);
    d->canvas->rectangle(map(api, r->TL), map(api, r->BR), std::fabs(r->width * d->sx),
                         std::fabs(r->height * d->sy));
}

void ropDraw(wmfAPI *api, wmfROP_Draw_t *r)
{
    Device *d = dev(api);
    const Point tl = map(api, r->TL), br = map(api, r->BR);
    switch (r->ROP) {
    case PATCOPY:
        if (toFill(r->dc)) {
            noBrush(api);
            d->canvas->fillRect(tl, br, rgb(*WMF_BRUSH_COLOR(r->dc->brush)));
        }
        break;
    case BLACKNESS: d->canvas->fillRect(tl, br, {0, 0, 0}); break;
    case WHITENESS: d->canvas->fillRect(tl, br, {255, 255, 255}); break;
    case DSTINVERT:
    case PATINVERT: d->canvas->invertRect(tl, br); break;
    default: break;   // raster operations with a source are not drawn
    }
}

void bmpRead(wmfAPI *api, wmfBMP_Read_t *r)
{
    r->bmp.data = nullptr;
    r->bmp.width = 0;
    r->bmp.height = 0;
    if (!r->buffer || r->length <= 0)
        return;
    int w = 0, h = 0;
    const int handle = dev(api)->canvas->decodeBitmap(r->buffer, r->length, &w, &h);
    if (handle < 0 || w <= 0 || h <= 0 || w > 0xFFFF || h > 0xFFFF)
        return;
    r->bmp.width = static_cast<unsigned short>(w);
    r->bmp.height = static_cast<unsigned short>(h);
    r->bmp.data = reinterpret_cast<void *>(intptr_t(handle) + 1);
}

void bmpFree(wmfAPI *api, wmfBMP *bmp)
{
    const int handle = bitmapHandle(*bmp);
    if (handle >= 0)
        dev(api)->canvas->freeBitmap(handle);
    bmp->data = nullptr;
}

void bmpDraw(wmfAPI *api, wmfBMP_Draw_t *b)
{
    Device *d = dev(api);
    const int handle = bitmapHandle(b->bmp);
    if (handle < 0)
        return;
    const Point tl = map(api, b->pt);
    const double w = std::fabs(b->pixel_width * b->crop.w * d->sx);
    const double h = std::fabs(b->pixel_height * b->crop.h * d->sy);
    d->canvas->drawBitmap(handle, b->crop.x, b->crop.y, b->crop.w, b->crop.h, tl,
                          {tl.x + w, tl.y + h});
}

void drawText(wmfAPI *api, wmfDrawText_t *t)
{
    Device *d = dev(api);
    if (!t->str || !t->dc->font)
        return;
    wmfFont *f = t->dc->font;
    wmfdraw::Font font;
    if (WMF_FONT_NAME(f))
        font.face = WMF_FONT_NAME(f);
    font.height = std::fabs(t->font_height * d->sy);
    font.angle = WMF_TEXT_ANGLE(f);
    font.weight = WMF_FONT_WEIGHT(f);
    font.italic = WMF_FONT_ITALIC(f);
    font.underline = WMF_TEXT_UNDERLINE(f);
    font.strikeOut = WMF_TEXT_STRIKEOUT(f);
    // The player fills in a width equal to the height when the file gives
    // none; only a width of its own stretches the text.
    if (WMF_FONT_WIDTH(f) != 0 && WMF_FONT_HEIGHT(f) != 0 && WMF_FONT_WIDTH(f) != WMF_FONT_HEIGHT(f)) {
        // A normal font's average character is about half its height wide.
        const double ratio = double(WMF_FONT_WIDTH(f)) / (0.5 * double(WMF_FONT_HEIGHT(f)));
        font.widthRatio = std::clamp(ratio, 0.25, 4.0);
    }
    d->canvas->text(map(api, t->pt), t->str, font, rgb(*WMF_DC_TEXTCOLOR(t->dc)),
                    WMF_DC_OPAQUE(t->dc), rgb(*WMF_DC_BACKGROUND(t->dc)));
}

void udataNoop(wmfAPI *, wmfUserData_t *) {}

std::vector<wmfdraw::Rect> rects(wmfAPI *api, wmfPolyRectangle_t *p)
{
    std::vector<wmfdraw::Rect> out;
    for (unsigned i = 0; i < p->count; ++i)
        out.push_back({map(api, p->TL[i]), map(api, p->BR[i])});
    return out;
}

void regionFrame(wmfAPI *api, wmfPolyRectangle_t *p)
{
    if (!toFill(p->dc))
        return;
    Device *d = dev(api);
    const wmfdraw::Rgb c = rgb(*WMF_BRUSH_COLOR(p->dc->brush));
    const double bw = std::max(1.0, std::fabs(p->width * d->sx));
    const double bh = std::max(1.0, std::fabs(p->height * d->sy));
    for (const auto &r : rects(api, p)) {
        const Point a = r.topLeft, b = r.bottomRight;
        d->canvas->fillRect(a, {b.x, a.y + bh}, c);
        d->canvas->fillRect({a.x, b.y - bh}, b, c);
        d->canvas->fillRect(a, {a.x + bw, b.y}, c);
        d->canvas->fillRect({b.x - bw, a.y}, b, c);
    }
}

void regionPaint(wmfAPI *api, wmfPolyRectangle_t *p)
{
    if (!toFill(p->dc))
        return;
    Device *d = dev(api);
    const wmfdraw::Rgb c = rgb(*WMF_BRUSH_COLOR(p->dc->brush));
    for (const auto &r : rects(api, p))
        d->canvas->fillRect(r.topLeft, r.bottomRight, c);
}

void regionClip(wmfAPI *api, wmfPolyRectangle_t *p)
{
    dev(api)->canvas->setClip(rects(api, p));
}

// --- fonts (the lite library leaves them to us) -----------------------------

void fontMap(wmfAPI *, wmfFont *) {}

float stringWidth(wmfAPI *api, wmfFont *font, char *str)
{
    if (!str)
        return 0;
    const Device *d = dev(api);
    const std::string face = (font && WMF_FONT_NAME(font)) ? WMF_FONT_NAME(font) : "";
    if (d && d->canvas)
        return float(d->canvas->textWidth(face, str));
    return float(0.5 * std::strlen(str));
}

void setUpDevice(wmfAPI *api)
{
    auto *fr = static_cast<wmfFunctionReference *>(api->function_reference);
    fr->device_open = deviceNoop;
    fr->device_close = deviceNoop;
    fr->device_begin = deviceNoop;
    fr->device_end = deviceNoop;
    fr->flood_interior = floodNoop;
    fr->flood_exterior = floodNoop;
    fr->draw_pixel = drawPixel;
    fr->draw_pie = drawPie;
    fr->draw_chord = drawChord;
    fr->draw_arc = drawArc;
    fr->draw_ellipse = drawEllipse;
    fr->draw_line = drawLine;
    fr->poly_line = polyLine;
    fr->draw_polygon = drawPolygon;
    fr->draw_polypolygon = drawPolyPolygon;
    fr->draw_rectangle = drawRectangle;
    fr->rop_draw = ropDraw;
    fr->bmp_draw = bmpDraw;
    fr->bmp_read = bmpRead;
    fr->bmp_free = bmpFree;
    fr->draw_text = drawText;
    fr->udata_init = udataNoop;
    fr->udata_copy = udataNoop;
    fr->udata_set = udataNoop;
    fr->udata_free = udataNoop;
    fr->region_frame = regionFrame;
    fr->region_paint = regionPaint;
    fr->region_clip = regionClip;

    api->device_data = g_creating;

    auto *fonts = static_cast<wmfFontData *>(wmf_malloc(api, sizeof(wmfFontData)));
    if (!fonts)
        return;
    fonts->map = fontMap;
    fonts->stringwidth = stringWidth;
    fonts->user_data = nullptr;
    api->font_data = fonts;
}

int statusCheck(void *context, float)
{
    auto *d = static_cast<Device *>(context);
    if (std::chrono::steady_clock::now() > d->deadline) {
        d->timedOut = true;
        return 1;   // stop playing
    }
    return 0;
}

wmfAPI *API(void *p) { return static_cast<wmfAPI *>(p); }

} // namespace

namespace wmfplay {

WmfPlayer::WmfPlayer() = default;

WmfPlayer::~WmfPlayer()
{
    if (m_api)
        wmf_lite_destroy(API(m_api));
    delete m_device;
}

bool WmfPlayer::open(const unsigned char *data, std::size_t length, wmfdraw::Canvas &canvas)
{
    if (m_api) {
        m_error = "already open";
        return false;
    }
    m_device = new Device;
    m_device->canvas = &canvas;
    m_device->deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);

    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = setUpDevice;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL
                              | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI *api = nullptr;
    g_creating = m_device;
    const wmf_error_t created = wmf_lite_create(&api, flags, &options);
    g_creating = nullptr;
    if (created != wmf_E_None || !api) {
        m_error = "cannot start the metafile player";
        return false;
    }
    m_api = api;
    if (!api->font_data) {
        m_error = "out of memory";
        return false;
    }
    wmf_status_function(api, m_device, statusCheck);

    if (length > std::size_t(0x7FFFFFFF)
        || wmf_mem_open(api, const_cast<unsigned char *>(data), long(length)) != wmf_E_None) {
        m_error = "not a metafile";
        return false;
    }
    wmfD_Rect bbox;
    if (wmf_scan(api, 0, &bbox) != wmf_E_None) {
        m_error = m_device->timedOut ? "metafile takes too long" : "damaged metafile";
        return false;
    }
    if (!(bbox.BR.x > bbox.TL.x) || !(bbox.BR.y > bbox.TL.y)) {
        m_error = "empty metafile";
        return false;
    }
    m_device->bbox = bbox;

    unsigned int w = 0, h = 0;
    if (wmf_display_size(api, &w, &h, 96, 96) != wmf_E_None || w == 0 || h == 0) {
        // A damaged drawing extent may be infinite or not a number at all.
        auto side = [](double extent) -> unsigned {
            const double c = std::ceil(extent);
            return c >= 65535.0 ? 65535u : c >= 1.0 ? unsigned(c) : 1u;
        };
        w = side(double(bbox.BR.x) - bbox.TL.x);
        h = side(double(bbox.BR.y) - bbox.TL.y);
    }
    m_width = int(std::min(w, 65535u));
    m_height = int(std::min(h, 65535u));
    return true;
}

bool WmfPlayer::play(int width, int height, double timeLimitSeconds)
{
    if (!m_api || !m_device || width <= 0 || height <= 0) {
        m_error = "nothing to play";
        return false;
    }
    Device *d = m_device;
    d->sx = width / (double(d->bbox.BR.x) - d->bbox.TL.x);
    d->sy = height / (double(d->bbox.BR.y) - d->bbox.TL.y);
    d->maxPen = std::max(width, height);
    d->timedOut = false;
    d->deadline = std::chrono::steady_clock::now()
                + std::chrono::milliseconds(static_cast<long long>(timeLimitSeconds * 1000));
    d->canvas->setDeadline(d->deadline);
    wmfD_Rect bbox = d->bbox;
    const wmf_error_t played = wmf_play(API(m_api), 0, &bbox);
    if (played != wmf_E_None) {
        m_error = d->timedOut ? "metafile takes too long" : "damaged metafile";
        return false;
    }
    return true;
}

}
