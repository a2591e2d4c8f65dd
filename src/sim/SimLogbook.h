#pragma once

#include "logbook/LogEntry.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <functional>

namespace korvane {

// The simulated controller's event log. It answers the five logbook requests
// with whole reply frames ("start_" + code + payload + "ende_"):
//
//   "sla"  one frame: the number of entries, comma-terminated
//   "sld"  the next (up to) 100 entries from the read position, newest first,
//          then the end frame; the read position moves on
//   "slf"  every entry, newest first, then the end frame
//   "slr"  no reply; the read position goes back to the newest entry
//   "sll"  no reply; the log is cleared
//
// Entry N = 1 is the newest. The end frame has N = 9999, motor 1 and all other
// fields 0; its day and month 0 read "no entries stored", which is what an
// empty log answers.
//
// Wiring into a controller: `for (auto& f : log.handle(request)) reply(f);`
// for every request; handle() returns nothing for other requests. Optionally
// `log.setClock(...)` to stamp events with the controller's own clock,
// `log.seed(n)` for a history, `log.startGrowing(ms)` for a log that grows by
// itself, and `log.logEvent(4, motor, up)` when the controller moves a motor.
class SimLogbook : public QObject {
    Q_OBJECT
public:
    static constexpr int kEntriesPerRead = 100;
    // The controller keeps this many entries and drops the oldest beyond it.
    static constexpr int kCapacity = 5000;

    // `randomSeed` makes generated events reproducible.
    explicit SimLogbook(quint32 randomSeed = 1, QObject* parent = nullptr);

    // The reply frames for one request (surrounding blanks and CR ignored).
    QList<QByteArray> handle(QByteArrayView request);
    static bool isLogbookRequest(QByteArrayView request);

    // Adds `count` generated events, each a few minutes to hours after the one
    // before, starting from a fixed date (for tests and benchmarks).
    void seed(int count);
    // Forgets every entry (as "sll" does); seed() goes on from its last date.
    void clear();
    // Appends `event` (with its own date and time) as the newest entry. The
    // number field is ignored; numbers are given on the wire.
    void record(const LogEntry& event);
    // Records an event at the current clock time: `cause` as in the log's cause
    // table, `kind` the switch-time kind of cause 0.
    void logEvent(int cause, int motor, bool up, int kind = 0);
    // The same at a given time (a switch time that fell due at that minute).
    void logEventAt(const QDateTime& when, int cause, int motor, bool up, int kind = 0);
    // The time that logEvent() and growth stamp events with (default: the
    // local time of the machine).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // Lets the log grow by itself with one generated event every `intervalMs`
    // (switch times, automatics, manual moves, restarts, alarms, clock
    // changes); 0 stops it.
    void startGrowing(int intervalMs);

    int count() const { return int(m_entries.size()); }
    int readPosition() const { return m_readPosition; }
    // Entry number `n` (1 = newest) with its number filled in.
    LogEntry entry(int n) const;
    // The end-of-transfer frame's entry.
    static LogEntry endEntry();

private:
    LogEntry generate(const QDateTime& when);
    static LogEntry stamped(int cause, int motor, bool up, int kind, const QDateTime& when);
    QDateTime now() const;
    QByteArray frame(const char* code, const QByteArray& payload) const;
    void appendEntryFrames(QList<QByteArray>& out, const char* code, int first, int last) const;

    QList<LogEntry> m_entries; // oldest first
    int m_readPosition = 0;    // entries already sent by "sld"
    QRandomGenerator m_random;
    QDateTime m_seedClock;
    std::function<QDateTime()> m_clock;
    QTimer m_growth;
};

} // namespace korvane
