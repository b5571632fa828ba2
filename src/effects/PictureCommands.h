#pragma once
#include "effects/KeyCommand.h"
#include "effects/PictureView.h"

#include <QString>

struct CommandOutcome {
    bool handled = false;   // a picture command (the caller acts on the others)
    QString message;        // to show the user when not empty; the view is then unchanged
};

// Carries out one picture command of the key table on the view: the effects,
// zoom, pixelise, fit, stretch, alignment and panning, each re-centring
// the picture where the viewer does. Pure: no window, safe on a worker thread.
CommandOutcome applyPictureCommand(PictureView &view, const KeyCommand &command);

// Whether the command works on the pixels (worth a worker thread and the
// busy pointer) or only moves the picture.
bool isPixelCommand(KeyAction action);
