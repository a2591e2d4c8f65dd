#include "logbook/LogbookList.h"

namespace korvane {

LogbookList::LogbookList() {
    blank();
}

int LogbookList::rowFor(qint64 n) {
    const qint64 r = (n - 1) % kPageSize;
    return int(r < 0 ? r + kPageSize : r);
}

void LogbookList::blank() {
    m_rows = QStringList();
    m_rows.reserve(kRowCount);
    for (int i = 0; i < kRowCount; ++i)
        m_rows.append(QString());
}

int LogbookList::place(qint64 n, const QString& text) {
    const int r = rowFor(n);
    if (r == 0)
        blank();
    m_rows[r] = text;
    return r;
}

int LogbookList::placeEnd(qint64 n, const QString& text, bool afterEntries) {
    if (afterEntries && rowFor(n) == 0) {
        m_rows[kPageSize] = text;
        return kPageSize;
    }
    return place(n, text);
}

} // namespace korvane
