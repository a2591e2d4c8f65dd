#pragma once

#include <QStringList>

namespace korvane {

// The rows of the logbook list: a page of 100 entries plus one spare row.
// Entry N goes to row (N - 1) mod 100; the first row of a page blanks the
// whole list. The end-of-transfer frame counts as entry LastLogEntry + 1, but
// when that would open a new page right after a page was filled, it takes the
// spare row 100 instead, so the page just read stays visible.
class LogbookList {
public:
    static constexpr int kRowCount = 101;
    static constexpr int kPageSize = 100;

    LogbookList();

    // Row that entry number `n` occupies (0 to 99; numbers below 1 wrap too).
    static int rowFor(qint64 n);

    // Blanks every row. Returns nothing; the caller announces the change.
    void blank();
    // Puts `text` into the row of entry `n` and returns that row; blanks the
    // list first when the row is 0.
    int place(qint64 n, const QString& text);
    // Puts the end frame's `text` for entry number `n`; `afterEntries` says
    // whether the transfer that it ends placed any entry. Returns the row.
    int placeEnd(qint64 n, const QString& text, bool afterEntries);

    const QStringList& rows() const { return m_rows; }
    QString row(int r) const { return m_rows.value(r); }

private:
    QStringList m_rows;
};

} // namespace korvane
