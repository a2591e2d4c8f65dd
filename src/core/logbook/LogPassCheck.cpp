#include "logbook/LogPassCheck.h"

#include <QStringList>

namespace korvane {
namespace {

constexpr int kMotorNames = 8;
// More missing entries than this are summed up in one item.
constexpr int kNamedEntries = 5;

} // namespace

void LogPassCheck::begin(int first, int pageSize) {
    *this = LogPassCheck();
    m_first = first;
    m_pageSize = pageSize;
}

void LogPassCheck::countArrived(int count) {
    m_count = count;
}

void LogPassCheck::nameArrived(int motor) {
    if (motor >= 1 && motor <= kMotorNames)
        m_names.insert(motor);
}

void LogPassCheck::entryArrived(const LogEntry& entry) {
    m_entries.insert(entry.number, entry);
}

void LogPassCheck::endArrived(const LogEntry& end) {
    m_end = true;
    m_endEntry = end;
}

bool LogPassCheck::endReached() const {
    return m_end && (m_pageSize == 0 || (countKnown() && last() >= m_count));
}

bool LogPassCheck::absorb(const LogPassCheck& pass) {
    bool brought = false;
    if (pass.countKnown() && pass.m_count != m_count) {
        begin(m_first, m_pageSize);
        m_count = pass.m_count;
        brought = true;
    }
    for (int motor : pass.m_names) {
        brought = brought || !m_names.contains(motor);
        m_names.insert(motor);
    }
    if (pass.countKnown()) {
        for (auto it = pass.m_entries.cbegin(); it != pass.m_entries.cend(); ++it) {
            if (it.key() < m_first || it.key() > last() || m_entries.contains(it.key()))
                continue;
            m_entries.insert(it.key(), it.value());
            brought = true;
        }
    }
    if (!m_end && pass.endReached()) {
        m_end = true;
        m_endEntry = pass.m_endEntry;
        brought = true;
    }
    return brought;
}

int LogPassCheck::last() const {
    if (m_count < 0)
        return m_first - 1;
    return m_pageSize > 0 ? qMin(m_count, m_first + m_pageSize - 1) : m_count;
}

QList<LogEntry> LogPassCheck::entries() const {
    QList<LogEntry> list;
    for (auto it = m_entries.lowerBound(m_first); it != m_entries.cend() && it.key() <= last();
         ++it)
        list << it.value();
    return list;
}

QString LogPassCheck::missing() const {
    QStringList items;
    if (m_count < 0)
        items << QStringLiteral("Anzahl der Eintr\u00E4ge");
    // The list and the export number the oldest entry 1: Nr = count - N + 1.
    QList<int> shown;
    for (int n = m_first; n <= last(); ++n) {
        if (!m_entries.contains(n))
            shown << m_count - n + 1;
    }
    if (shown.size() > kNamedEntries) {
        items << QStringLiteral("%1 Eintr\u00E4ge zwischen Nr. %2 und %3")
                     .arg(shown.size())
                     .arg(shown.last())
                     .arg(shown.first());
    } else {
        for (int nr : shown)
            items << QStringLiteral("Eintrag Nr. %1").arg(nr);
    }
    if (m_names.size() < kMotorNames)
        items << QStringLiteral("Motornamen");
    if (!m_end)
        items << QStringLiteral("Endmarke");
    return items.join(QStringLiteral(", "));
}

} // namespace korvane
