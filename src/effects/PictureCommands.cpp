#include "effects/PictureCommands.h"

#include "effects/ColourEffects.h"
#include "effects/GeometricEffects.h"
#include "effects/NeighbourEffects.h"
#include "effects/ZoomView.h"

namespace {
// A pixel effect's result replaces the picture; a result that could not be
// allocated leaves it as it was.
bool takeImage(PictureView &view, const QImage &result, bool centre, CommandOutcome &out)
{
    if (result.isNull() && !view.image.isNull()) {
        out.message = tooLargeMessage();
        return false;
    }
    view.image = result;
    if (centre)
        centrepic(view);
    return true;
}
} // namespace

bool isPixelCommand(KeyAction action)
{
    switch (action) {
    case KeyAction::Pan: case KeyAction::AlignTop: case KeyAction::AlignBottom:
    case KeyAction::AlignLeft: case KeyAction::AlignRight:
        return false;
    default:
        return isPictureCommand(action);
    }
}

CommandOutcome applyPictureCommand(PictureView &view, const KeyCommand &k)
{
    CommandOutcome out;
    out.handled = isPictureCommand(k.action);
    if (!out.handled)
        return out;
    const QImage &pic = view.image;
    switch (k.action) {
    case KeyAction::FlipLeftRight: takeImage(view, flipLeftRight(pic), false, out); break;
    case KeyAction::FlipTopBottom: takeImage(view, flipTopBottom(pic), false, out); break;
    case KeyAction::Stretch: stretchToWindow(view, &out.message); break;
    case KeyAction::Rotate:
        // A shift state that names no turn leaves the picture alone.
        if (k.a >= 0 && k.a <= 2)
            takeImage(view, rotateimage(pic, k.a), true, out);
        break;
    case KeyAction::Wave: takeImage(view, waveimage(pic, k.a, k.b, view.bgColour), true, out); break;
    case KeyAction::AddNoise: takeImage(view, addnoise(pic), true, out); break;
    case KeyAction::Pixelise: {
        // Both halves or neither: a failed enlargement must not leave the
        // shrunken picture behind.
        PictureView work = view;
        if (zoom(work, -k.a, &out.message) && zoom(work, k.a, &out.message))
            view = work;
        break;
    }
    case KeyAction::Pan:
        view.left += k.a;
        view.top += k.b;
        break;
    case KeyAction::Tint: takeImage(view, tint(pic, k.a, k.b, k.c, k.d), false, out); break;
    case KeyAction::Zoom: zoom(view, k.a, &out.message); break;
    case KeyAction::AlignTop: view.top = 0; break;
    case KeyAction::AlignBottom: view.top = view.window.height() - pic.height(); break;
    case KeyAction::AlignLeft: view.left = 0; break;
    case KeyAction::AlignRight: view.left = view.window.width() - pic.width(); break;
    case KeyAction::FitWidth: fitWidth(view, &out.message); break;
    case KeyAction::FitHeight: fitHeight(view, &out.message); break;
    case KeyAction::Brightness: takeImage(view, brightness(pic, k.a, k.b), true, out); break;
    case KeyAction::Emboss: takeImage(view, emboss(pic, view.edgeTuning), true, out); break;
    case KeyAction::Edge: takeImage(view, edge(pic, view.edgeTuning), true, out); break;
    default: break;
    }
    return out;
}
