#pragma once

// The media player as the viewer's keys see it (P, full stop and comma).
class ViewerPlayer {
public:
    virtual ~ViewerPlayer() = default;
    virtual bool playerShown() const = 0;
    // Flips the pause flag and pauses or plays to match.
    virtual void togglePaused() = 0;
    virtual double position() const = 0;   // seconds
    virtual void setPosition(double seconds) = 0;
};
