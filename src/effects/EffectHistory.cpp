#include "effects/EffectHistory.h"

EffectHistory::EffectHistory(PictureLimits::DecodeBudget &budget)
    : m_held(budget), m_cap(budget.total() / 4)
{
}

void EffectHistory::setCap(qint64 bytes)
{
    m_cap = bytes;
    fit();
}

void EffectHistory::clear()
{
    m_original.reset();
    m_back.clear();
    m_forward.clear();
    m_held.reset();
}

void EffectHistory::recordBefore(const Step &shown)
{
    if (!m_original)
        m_original = shown;
    else
        m_back.push_back(shown);
    m_forward.clear();
    fit();
}

EffectHistory::Step EffectHistory::undo(const Step &shown)
{
    Step previous;
    if (!m_back.empty()) {
        previous = std::move(m_back.back());
        m_back.pop_back();
    } else {
        previous = std::move(*m_original);
        m_original.reset();
    }
    m_forward.push_front(shown);
    fit();
    return previous;
}

EffectHistory::Step EffectHistory::redo(const Step &shown)
{
    Step next = std::move(m_forward.front());
    m_forward.pop_front();
    if (!m_original)
        m_original = shown;
    else
        m_back.push_back(shown);
    fit();
    return next;
}

void EffectHistory::fit()
{
    auto total = [this] {
        qint64 bytes = 0;
        for (const Step &s : m_back)
            bytes += s.image.sizeInBytes();
        for (const Step &s : m_forward)
            bytes += s.image.sizeInBytes();
        return bytes;
    };
    for (qint64 bytes = total();; bytes = total()) {
        if (bytes <= m_cap && m_held.tryTake(bytes))
            return;
        if (!m_back.empty())
            m_back.pop_front();
        else if (!m_forward.empty())
            m_forward.pop_back();
        else {
            m_held.reset();
            return;
        }
    }
}
