#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>

namespace korvane {

// One logbook event as the controller stores it.
struct SimLogEvent {
    int motor = 1; // 1..8
    bool up = true;
    int day = 1, month = 1, hour = 0, minute = 0;
    int cause = 0; // cause code 0..23
    int kind = 0;  // switch-time kind for cause 0: fixed, solar, random
};

// The controller's event log. Entry number 1 is the newest. Display reads
// ("sld") hand out the next page of entries from a read position that "slr"
// moves back to the start; exports ("slf") hand out every entry. Each transfer
// ends with an entry numbered 9999.
class SimLogbook {
public:
    static constexpr int kPageSize = 100;
    static constexpr int kEndNumber = 9999;
    static constexpr int kCapacity = 2000;

    // A plausible history of `count` events before `now`, newest first.
    void fill(int count, const QDateTime& now);
    void add(const SimLogEvent& event);   // becomes entry 1
    void clear();                         // "sll"
    void rewind() { m_readPosition = 0; } // "slr"

    int count() const { return int(m_events.size()); }
    // "sla": the entry count.
    QByteArray countPayload() const;
    // "sld": the next page of entries and the end entry; moves the read position.
    QList<QByteArray> nextPagePayloads();
    // "slf": every entry and the end entry.
    QList<QByteArray> exportPayloads() const;

    static QByteArray entryPayload(int number, const SimLogEvent& event);

private:
    static QByteArray endPayload();

    QList<SimLogEvent> m_events; // index 0 = entry 1 = newest
    int m_readPosition = 0;
};

} // namespace korvane
