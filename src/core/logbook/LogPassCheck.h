#pragma once

#include "logbook/LogEntry.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

namespace korvane {

// What one logbook transfer must deliver, and what of it arrived intact: the
// entry count ("sla"), the eight motor names ("smn"), every entry of its range
// and the end frame. A page read covers up to `pageSize` numbers from `first`;
// a whole-log check (pageSize 0) covers 1 .. count.
//
// Checks of several passes over the log merge (absorb) while they saw the same
// count: an entry that one pass lost and another brought intact is there. A
// pass that saw another count replaces what was gathered, since the numbers
// have moved on (entry 1 is always the newest).
class LogPassCheck {
public:
    void begin(int first, int pageSize);
    void countArrived(int count);
    void nameArrived(int motor); // 1 .. 8
    void entryArrived(const LogEntry& entry);
    void endArrived(const LogEntry& end);
    // Takes over what `pass` brought; returns whether that was anything new
    // (or a new count that started the gathering over). Entries of a pass
    // whose count did not arrive cannot be placed and are left out.
    bool absorb(const LogPassCheck& pass);

    bool complete() const { return missing().isEmpty(); }
    bool countKnown() const { return m_count >= 0; }
    int count() const { return m_count; }
    // The last number of the range; first - 1 while the count is unknown.
    int last() const;
    // The intact entries of the range, newest (N = 1) first.
    QList<LogEntry> entries() const;
    // The end frame as it arrived (meaningful once it did).
    const LogEntry& endEntry() const { return m_endEntry; }
    // What is missing, e.g. "Eintrag Nr. 40, Eintrag Nr. 36, Motornamen";
    // empty when complete. Entries are named by the numbers that the list and
    // the export show (count - N + 1).
    QString missing() const;

private:
    // The pass reached the end of the log with its end frame.
    bool endReached() const;

    int m_first = 1;
    int m_pageSize = 0;
    int m_count = -1;
    QSet<int> m_names;
    QMap<int, LogEntry> m_entries; // by N
    bool m_end = false;
    LogEntry m_endEntry;
};

} // namespace korvane
