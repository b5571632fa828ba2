#pragma once
#include "viewer/PictureLimits.h"

#include <QImage>
#include <deque>
#include <optional>

// The steps a picture went through in the viewer, for undo and redo. A step
// is the picture and its place as shown before (or, undone, after) a change
// of its pixels; moving the picture is no step of its own.
//
// The picture as opened is always kept. The steps between it and the one
// shown are held within a cap and within what the shared decode budget has
// free, never waiting for it: when either runs short the oldest steps go
// first (then the farthest redo steps), so undo may jump back further than
// one change but always reaches the picture as opened.
class EffectHistory {
public:
    struct Step {
        QImage image;
        int left = 0;
        int top = 0;
    };

    explicit EffectHistory(PictureLimits::DecodeBudget &budget = PictureLimits::DecodeBudget::shared());

    // The most bytes the steps may hold (the picture as opened not counted):
    // a quarter of the budget unless set.
    void setCap(qint64 bytes);
    qint64 cap() const { return m_cap; }

    // Another picture: everything goes.
    void clear();
    // A change is about to replace shown: it becomes the step back, and
    // what was undone can no longer be redone.
    void recordBefore(const Step &shown);

    bool canUndo() const { return m_original.has_value(); }
    bool canRedo() const { return !m_forward.empty(); }
    // The step to show instead of shown, which becomes the step forward (or
    // back, for redo). Only when canUndo() / canRedo().
    Step undo(const Step &shown);
    Step redo(const Step &shown);

    // Bytes held by the steps (the picture as opened not counted).
    qint64 heldBytes() const { return m_held.bytes(); }
    int stepsBack() const { return canUndo() ? int(m_back.size()) + 1 : 0; }
    int stepsForward() const { return int(m_forward.size()); }

private:
    void fit();

    std::optional<Step> m_original;
    std::deque<Step> m_back;      // after the original, oldest first
    std::deque<Step> m_forward;   // nearest first
    PictureLimits::Reservation m_held;
    qint64 m_cap;
};
