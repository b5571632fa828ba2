#pragma once
// The drawing surface the WMF player draws on. Kept free of Qt and of
// libwmf's headers: libwmf's fund.h defines U8/U16/... macros that break
// Qt's headers, so the two only meet through this interface.
// All coordinates are output pixels; colours are 8-bit RGB.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace wmfdraw {

struct Point {
    double x = 0;
    double y = 0;
};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

enum class LineStyle { Solid, Dash, Dot, DashDot, DashDotDot, None };
enum class Cap { Round, Square, Flat };
enum class Join { Round, Bevel, Miter };

struct Pen {
    Rgb colour;
    double width = 1;          // pixels, already clamped
    LineStyle style = LineStyle::Solid;
    Cap cap = Cap::Round;
    Join join = Join::Round;
};

enum class FillStyle { Solid, None, Hatched, Pattern };

struct Brush {
    Rgb colour;
    FillStyle style = FillStyle::Solid;
    int hatch = 0;             // 0 horizontal .. 5 diagonal cross
    int pattern = -1;          // bitmap handle for FillStyle::Pattern
    bool opaqueBackground = false;
    Rgb background;
};

struct Font {
    std::string face;          // as stored in the file (Windows code page)
    double height = 12;        // pixels
    double widthRatio = 1;     // horizontal stretch relative to the normal width
    double angle = 0;          // radians, anticlockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class ArcKind { Open, Pie, Chord };

struct Rect {
    Point topLeft;
    Point bottomRight;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    // Drawing stops making progress once the deadline has passed: a single
    // record can ask for minutes of work.
    void setDeadline(std::chrono::steady_clock::time_point deadline)
    {
        m_deadline = deadline;
        m_hasDeadline = true;
    }
    bool expired() const { return m_hasDeadline && std::chrono::steady_clock::now() > m_deadline; }

    virtual void setPen(const Pen &pen) = 0;
    virtual void setBrush(const Brush &brush) = 0;
    virtual void setWindingFill(bool winding) = 0;
    // No rectangles: drawing is not clipped.
    virtual void setClip(const std::vector<Rect> &rects) = 0;

    virtual void line(Point from, Point to) = 0;
    virtual void polyline(const std::vector<Point> &points) = 0;
    virtual void polygons(const std::vector<std::vector<Point>> &polygons) = 0;
    virtual void rectangle(Point topLeft, Point bottomRight, double cornerW, double cornerH) = 0;
    virtual void ellipse(Point topLeft, Point bottomRight) = 0;
    // Angles in degrees, anticlockwise from the 3 o'clock direction.
    virtual void arc(Point topLeft, Point bottomRight, double startDeg, double spanDeg, ArcKind kind) = 0;
    virtual void pixel(Point at, Rgb colour) = 0;
    virtual void fillRect(Point topLeft, Point bottomRight, Rgb colour) = 0;
    virtual void invertRect(Point topLeft, Point bottomRight) = 0;

    // Text whose baseline starts at 'at'; bytes in the Windows code page.
    virtual void text(Point at, const std::string &bytes, const Font &font, Rgb colour,
                      bool opaqueBackground, Rgb background) = 0;
    // Width of the text at a 1 point font, in points (the player's estimate).
    virtual double textWidth(const std::string &face, const std::string &bytes) = 0;

    // A device-independent bitmap (BITMAPINFOHEADER onwards). Returns a handle
    // (>= 0) and its size, or -1 when the bitmap cannot be decoded.
    virtual int decodeBitmap(const unsigned char *dib, long length, int *width, int *height) = 0;
    virtual void freeBitmap(int handle) = 0;
    // Draws the crop rectangle of the bitmap stretched to the target rectangle.
    virtual void drawBitmap(int handle, int cropX, int cropY, int cropW, int cropH,
                            Point topLeft, Point bottomRight) = 0;

private:
    std::chrono::steady_clock::time_point m_deadline;
    bool m_hasDeadline = false;
};

}
