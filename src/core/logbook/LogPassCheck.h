#pragma once

#include <QSet>
#include <QString>

namespace korvane {

// What one logbook transfer must deliver, and what of it arrived intact: the
// entry count ("sla"), the eight motor names ("smn"), every entry number of
// its range and the end frame. A page read covers up to `pageSize` numbers
// from `first`; an export (pageSize 0) covers 1 .. count.
class LogPassCheck {
public:
    void begin(int first, int pageSize);
    void countArrived(int count);
    void nameArrived(int motor); // 1 .. 8
    void entryArrived(int number);
    void endArrived() { m_end = true; }

    bool complete() const { return missing().isEmpty(); }
    bool countKnown() const { return m_count >= 0; }
    // The last number of the range; first - 1 while the count is unknown.
    int last() const;
    // What is missing, e.g. "Eintrag 5, Eintrag 9, Motornamen"; empty when complete.
    QString missing() const;

private:
    int m_first = 1;
    int m_pageSize = 0;
    int m_count = -1;
    QSet<int> m_names;
    QSet<int> m_numbers;
    bool m_end = false;
};

} // namespace korvane
