#include "history/LiveHistory.h"

#include <algorithm>

namespace korvane {
namespace {

// libstdc++ keeps a deque in 512-byte blocks plus a map of block pointers.
qint64 dequeBytes(std::size_t count) {
    constexpr qint64 kBlock = 512;
    constexpr qint64 perBlock = kBlock / qint64(sizeof(LiveSample));
    const qint64 blocks = qint64(count) / perBlock + 1;
    const qint64 mapSlots = std::max<qint64>(8, blocks + 2);
    return blocks * kBlock + mapSlots * qint64(sizeof(void*));
}

bool earlier(const LiveSample& s, qint64 msecs) {
    return s.msecs < msecs;
}

} // namespace

bool LiveHistory::append(LiveSample sample) {
    if (!isEmpty() && sample.msecs <= last().msecs)
        return false;
    sample.flags &= ~LiveSample::SegmentStart;
    if (m_gapPending || (!isEmpty() && sample.msecs - last().msecs > m_limits.gapMs))
        sample.flags |= LiveSample::SegmentStart;
    m_gapPending = false;
    m_full.push_back(sample);
    trim(sample.msecs);
    return true;
}

void LiveHistory::clear() {
    m_thinned.clear();
    m_full.clear();
    m_gapPending = false;
}

void LiveHistory::trim(qint64 newest) {
    while (!m_full.empty() && (newest - m_full.front().msecs > m_limits.fullRateMs ||
                               int(m_full.size()) > m_limits.maxFullRate)) {
        moveToThinned(m_full.front());
        m_full.pop_front();
    }
    while (!m_thinned.empty() && newest - m_thinned.front().msecs > m_limits.thinnedMs)
        m_thinned.pop_front();
}

// A sample that starts a segment is always kept, so gaps survive thinning.
void LiveHistory::moveToThinned(const LiveSample& s) {
    if (m_thinned.empty() || s.startsSegment() ||
        s.msecs - m_thinned.back().msecs >= m_limits.thinStepMs)
        m_thinned.push_back(s);
}

const LiveSample& LiveHistory::at(int i) const {
    const int thinned = int(m_thinned.size());
    return i < thinned ? m_thinned[i] : m_full[i - thinned];
}

int LiveHistory::lowerBound(qint64 msecs) const {
    if (!m_full.empty() && m_full.front().msecs <= msecs) {
        const auto it = std::lower_bound(m_full.begin(), m_full.end(), msecs, earlier);
        return int(m_thinned.size() + (it - m_full.begin()));
    }
    const auto it = std::lower_bound(m_thinned.begin(), m_thinned.end(), msecs, earlier);
    return int(it - m_thinned.begin());
}

void LiveHistory::forEach(qint64 from, qint64 to,
                          const std::function<void(const LiveSample&)>& f) const {
    for (int i = lowerBound(from), n = size(); i < n; ++i) {
        const LiveSample& s = at(i);
        if (s.msecs >= to)
            break;
        f(s);
    }
}

qint64 LiveHistory::memoryBytes() const {
    return dequeBytes(m_thinned.size()) + dequeBytes(m_full.size());
}

} // namespace korvane
