#pragma once

#include <QDateTime>
#include <QString>
#include <QTextStream>
#include <optional>

namespace korvane::cli {

struct HistoryOptions {
    QString dbPath;         // empty: the desktop's database
    QString from, to;       // dd.MM.yyyy[ HH:mm], local time; empty: open end
    bool minutes = false;   // the per-minute aggregates instead of the samples
    QString csvPath;        // empty: a summary per day on `out`
    QString thresholdsPath; // a .vts whose wind thresholds the summary counts
};

// "dd.MM.yyyy HH:mm" or "dd.MM.yyyy" in local time; a date alone means its
// start, or with `endOfDay` the start of the next day.
std::optional<QDateTime> parseHistoryDate(const QString& text, bool endOfDay);

// Exports from the history database, which it only reads. Returns the exit code.
int runHistoryCommand(const HistoryOptions& options, QTextStream& out, QTextStream& err);

} // namespace korvane::cli
