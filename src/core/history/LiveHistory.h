#pragma once

#include "history/LiveSample.h"

#include <deque>
#include <functional>

namespace korvane {

// The bounded store of live samples, oldest first. The newest `fullRateMs`
// are kept at the poll rate; older samples are thinned to one per
// `thinStepMs` and dropped after `thinnedMs`. A sample that follows missing
// data (a lost connection, a pause of the poll) carries SegmentStart.
class LiveHistory {
public:
    struct Limits {
        qint64 fullRateMs = 24LL * 3600 * 1000;
        qint64 thinnedMs = 7LL * 24 * 3600 * 1000; // total age kept
        qint64 thinStepMs = 60 * 1000;
        // Cap on the full-rate part even when replies come faster than the
        // poll period: 24 h at 0.9 s plus a quarter.
        int maxFullRate = 120000;
        // Consecutive samples further apart than this are separated by a gap.
        qint64 gapMs = 5000;
    };

    LiveHistory() : LiveHistory(Limits{}) {}
    explicit LiveHistory(const Limits& limits) : m_limits(limits) {}

    // Appends a sample; one not newer than the last is refused (false).
    bool append(LiveSample sample);
    // The next sample starts a new segment whatever its distance.
    void markGap() { m_gapPending = true; }
    void clear();

    int size() const { return int(m_thinned.size() + m_full.size()); }
    bool isEmpty() const { return size() == 0; }
    const LiveSample& at(int i) const;
    const LiveSample& last() const { return m_full.back(); }
    // Index of the first sample at or after `msecs`.
    int lowerBound(qint64 msecs) const;
    // Calls `f` for every sample in [from, to), oldest first.
    void forEach(qint64 from, qint64 to, const std::function<void(const LiveSample&)>& f) const;

    // Heap the store occupies (the deques' blocks and maps).
    qint64 memoryBytes() const;
    const Limits& limits() const { return m_limits; }

private:
    void trim(qint64 newest);
    void moveToThinned(const LiveSample& s);

    Limits m_limits;
    std::deque<LiveSample> m_thinned;
    std::deque<LiveSample> m_full;
    bool m_gapPending = false;
};

} // namespace korvane
