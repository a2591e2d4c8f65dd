#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <QTimer>
#include <functional>

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
// ends with an entry numbered 9999 whose day and month are 0, which is also
// all that an empty log answers.
class SimLogbook {
public:
    static constexpr int kPageSize = 100;
    static constexpr int kEndNumber = 9999;
    static constexpr int kCapacity = 2000;

    SimLogbook();

    // A plausible history of `count` events before `now`, newest first.
    void fill(int count, const QDateTime& now);
    void add(const SimLogEvent& event);   // becomes entry 1
    void clear();                         // "sll"
    void rewind() { m_readPosition = 0; } // "slr"

    int count() const { return int(m_events.size()); }
    int readPosition() const { return m_readPosition; }
    // "sla": the entry count.
    QByteArray countPayload() const;
    // "sld": the next page of entries and the end entry; moves the read position.
    QList<QByteArray> nextPagePayloads();
    // "slf": every entry and the end entry.
    QList<QByteArray> exportPayloads() const;

    static QByteArray entryPayload(int number, const SimLogEvent& event);

    // The whole reply frames ("start_" + code + payload + "ende_") for one
    // logbook request: "sla", "sld", "slf", "slr", "sll" (blanks and CR
    // around it ignored). Empty for "slr", "sll" and any other request.
    QList<QByteArray> handle(QByteArrayView request);
    static bool isLogbookRequest(QByteArrayView request);

    // Adds one event at `when` of any kind the controller logs: switch times
    // firing, automatics, manual moves, deactivations, restarts, alarms and
    // clock changes.
    void grow(const QDateTime& when);
    // Lets the log grow by itself: one event every `intervalMs` (0 stops),
    // stamped with `clock` (default: the machine's local time).
    void startGrowing(int intervalMs, std::function<QDateTime()> clock = {});

private:
    static QByteArray endPayload();

    QList<SimLogEvent> m_events; // index 0 = entry 1 = newest
    int m_readPosition = 0;
    QRandomGenerator m_random{1};
    QTimer m_growth;
    std::function<QDateTime()> m_clock;
};

} // namespace korvane
