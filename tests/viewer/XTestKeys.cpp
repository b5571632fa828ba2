#include "XTestKeys.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace xtestkeys {
namespace {
constexpr unsigned ShiftKeyCode = 50; // left Shift, on every layout

Display *display()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}
} // namespace

bool available()
{
    int event = 0, error = 0, major = 0, minor = 0;
    return display() && XTestQueryExtension(display(), &event, &error, &major, &minor);
}

void press(unsigned keyCode, bool shifted)
{
    Display *d = display();
    if (shifted)
        XTestFakeKeyEvent(d, ShiftKeyCode, True, CurrentTime);
    XTestFakeKeyEvent(d, keyCode, True, CurrentTime);
    XTestFakeKeyEvent(d, keyCode, False, CurrentTime);
    if (shifted)
        XTestFakeKeyEvent(d, ShiftKeyCode, False, CurrentTime);
    XFlush(d);
}

void wheel(int x, int y, bool down)
{
    Display *d = display();
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    const unsigned button = down ? 5 : 4;   // X's buttons for the wheel
    XTestFakeButtonEvent(d, button, True, CurrentTime);
    XTestFakeButtonEvent(d, button, False, CurrentTime);
    XFlush(d);
}
} // namespace xtestkeys
