#pragma once

#include <QStringList>

namespace korvane {

// The tables of the history database (schema version 1):
//   samples  every live sample (t: UTC milliseconds, the row id; the values
//            as LiveSample keeps them, NULL for a missing sensor; flags as
//            LiveSample::Flag)
//   minutes  per minute (t: its start) the count n and, per value, its
//   hours    minimum, mean times ten (rounded) and maximum; flags: any rain,
//            any alarm, any sample that starts a segment; hours likewise
//            from the minutes
// The value columns, in LiveSample's order.
const QStringList& historyValueColumns();
// Sorted table names.
QStringList historyTables();
QStringList historySchemaStatements();
// INSERT OR REPLACE of the `target` periods of `periodMs` that start in
// [?, ?) from `source` ("samples" or "minutes").
QString historyAggregateSql(const QString& source, const QString& target, qint64 periodMs);

} // namespace korvane
