#include "ProgressPrinter.h"

#include <unistd.h>

namespace korvane::cli {

ProgressPrinter::ProgressPrinter(QTextStream& stream, QString label)
    : m_stream(stream), m_label(std::move(label)), m_tty(::isatty(STDERR_FILENO) != 0) {}

void ProgressPrinter::update(qint64 value, qint64 maximum) {
    if (maximum <= 0)
        return;
    const int percent = int(qBound<qint64>(qint64(0), value * 100 / maximum, qint64(100)));
    const int shown = m_tty ? percent : percent / 10 * 10;
    if (shown == m_lastShown)
        return;
    m_lastShown = shown;
    if (m_tty)
        m_stream << '\r' << m_label << ' ' << shown << " %";
    else
        m_stream << m_label << ' ' << shown << " %\n";
    m_stream.flush();
}

void ProgressPrinter::finish() {
    if (m_tty && m_lastShown >= 0)
        m_stream << '\n';
    m_stream.flush();
    m_lastShown = -1;
}

} // namespace korvane::cli
