#pragma once
#include <QtGlobal>

// Tells when a clip has ended although the pipeline's own end-of-stream
// message has not come (under load it is sometimes lost, or comes many
// seconds late, and a viewer waiting for it would wait for ever).
//
// The player feeds it, several times a second, whether it plays, where it
// is and how long the clip is. Each time the position moves, the watch
// works out when the clip should be over: at that moment plus what was left
// of the clip. A clip counts as ended when its position has not moved for
// StallMs and that moment is more than GraceMs past - so a position that
// stays at the clip's duration ends it a second later, and a stream that
// stops short of its end ends it a second after the end was due. A position
// that runs past the duration by more than PastEndMs ends it at once.
// Paused, stalled or buffering time never counts, and a clip whose
// position has not moved at all yet is still opening, not ended.
class PlayEndWatch {
public:
    static constexpr qint64 StallMs = 1000;
    static constexpr qint64 GraceMs = 1000;
    static constexpr qint64 PastEndMs = 500;

    // Forgets everything: a new clip, a new play, a stop.
    void reset();

    // One observation at time nowMs (any steady clock). advancing is false
    // while the clip is paused, stopped, stalled or buffering. True once the
    // clip is to be taken as ended; from then on false until reset().
    bool update(qint64 nowMs, bool advancing, qint64 positionMs, qint64 durationMs);

private:
    bool m_known = false;
    bool m_done = false;
    bool m_hasMoved = false;
    qint64 m_lastPosition = 0;
    qint64 m_movedAt = 0;     // when the position last changed
    qint64 m_dueAt = 0;       // when the clip should be over, from then
};
