#include "player/PlayEndWatch.h"

#include <algorithm>

void PlayEndWatch::reset()
{
    m_known = false;
    m_done = false;
    m_hasMoved = false;
}

bool PlayEndWatch::update(qint64 nowMs, bool advancing, qint64 positionMs, qint64 durationMs)
{
    if (m_done)
        return false;
    if (!advancing || durationMs <= 0) {
        m_known = false;   // a pause or a stall starts the count afresh
        return false;
    }
    if (!m_known || positionMs != m_lastPosition) {
        m_hasMoved = m_hasMoved || (m_known && positionMs != m_lastPosition);
        m_known = true;
        m_lastPosition = positionMs;
        m_movedAt = nowMs;
        m_dueAt = nowMs + std::max<qint64>(0, durationMs - positionMs);
        if (positionMs > durationMs + PastEndMs)
            return m_done = true;
        return false;
    }
    // A clip that has not started moving yet is still opening, not ended,
    // unless it already stands at its end.
    const bool started = m_hasMoved || positionMs + PastEndMs >= durationMs;
    if (started && nowMs - m_movedAt >= StallMs && nowMs - m_dueAt > GraceMs)
        return m_done = true;
    return false;
}
