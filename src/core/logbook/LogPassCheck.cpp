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

void LogPassCheck::entryArrived(int number) {
    m_numbers.insert(number);
}

int LogPassCheck::last() const {
    if (m_count < 0)
        return m_first - 1;
    return m_pageSize > 0 ? qMin(m_count, m_first + m_pageSize - 1) : m_count;
}

QString LogPassCheck::missing() const {
    QStringList items;
    if (m_count < 0)
        items << QStringLiteral("Anzahl der Eintr\u00E4ge");
    QList<int> entries;
    for (int n = m_first; n <= last(); ++n) {
        if (!m_numbers.contains(n))
            entries << n;
    }
    if (entries.size() > kNamedEntries) {
        items << QStringLiteral("%1 Eintr\u00E4ge ab Nr. %2").arg(entries.size()).arg(entries[0]);
    } else {
        for (int n : entries)
            items << QStringLiteral("Eintrag %1").arg(n);
    }
    if (m_names.size() < kMotorNames)
        items << QStringLiteral("Motornamen");
    if (!m_end)
        items << QStringLiteral("Endmarke");
    return items.join(QStringLiteral(", "));
}

} // namespace korvane
