#pragma once

#include <QString>

namespace korvane::bridge {

// One line per event on standard error. Under systemd (JOURNAL_STREAM set)
// the journal stamps the time; elsewhere the line starts with it.
void logEvent(const QString& line);

} // namespace korvane::bridge
