#pragma once

#include "history/LiveSample.h"

#include <QStringList>
#include <limits>

class QIODevice;
class QSqlDatabase;

namespace korvane {

class LiveHistory;
struct AggregateRow;

// The live-value CSV that the desktop export and `korvane-cli monitor` both
// write, made for German spreadsheet programs: UTF-8 with a byte order mark
// (so that "°C" and "Außen" survive), semicolons, decimal commas, CRLF line
// ends, local time "dd.MM.yyyy HH:mm:ss". A value the controller does not
// measure (no sensor) is an empty cell; rain and alarm are 0 or 1.
class HistoryCsvWriter {
public:
    explicit HistoryCsvWriter(QIODevice& device) : m_device(device) {}

    static QStringList columns();
    static QStringList cells(const LiveSample& sample);
    // The per-minute export: each value's minimum, mean and maximum, then
    // rain and alarm (1 when any sample of the minute had it).
    static QStringList minuteColumns();
    static QStringList minuteCells(const AggregateRow& row);
    // Tenths as "21,5", "-0,5".
    static QString decimalTenths(int tenths);

    // The byte order mark and the heading line, with its line end.
    static QByteArray header();
    bool writeHeader();
    bool writeRow(const LiveSample& sample);
    bool writeMinuteHeader();
    bool writeMinuteRow(const AggregateRow& row);

private:
    bool writeLine(const QStringList& cells);
    QIODevice& m_device;
};

// Whether rows may be added to `path`: a missing or empty file may take them
// (it gets the heading first), and so may a file that begins with exactly
// this heading. Anything else is some other file, which must stay as it is:
// the German reason is returned then, else an empty text.
QString historyCsvAppendProblem(const QString& path);

// The history's samples in [from, to) (all by default) into `path`,
// atomically: the file is replaced only when every row was written. On
// failure returns false and sets *error (German).
bool saveHistoryCsv(const LiveHistory& history, const QString& path, QString* error,
                    qint64 from = std::numeric_limits<qint64>::min(),
                    qint64 to = std::numeric_limits<qint64>::max());
// [from, to) of the history database in the same format: the minutes (as
// their means) where samples are no longer kept, then every sample.
bool saveStoredHistoryCsv(const QSqlDatabase& db, qint64 from, qint64 to, const QString& path,
                          QString* error);
// The minutes of [from, to) of the history database, minuteColumns().
bool saveStoredMinutesCsv(const QSqlDatabase& db, qint64 from, qint64 to, const QString& path,
                          QString* error);

} // namespace korvane
