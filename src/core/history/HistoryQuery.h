#pragma once

#include "history/HistoryView.h"
#include "history/LiveSample.h"

#include <QSqlDatabase>
#include <array>
#include <functional>
#include <optional>

namespace korvane {

// Reading the history database (see HistorySchema.h).

// Which table a chart column of `bucketMs` is read from: the samples below a
// minute per column, the minutes below an hour, the hours above.
enum class HistoryLevel { Samples, Minutes, Hours };
HistoryLevel historyLevelFor(qint64 bucketMs);

// [from, to) reduced in SQL to `buckets` columns, each contributing the
// minimum and maximum of every curve at its middle; rain and alarm as spans
// of whole columns. A curve breaks where data is missing for longer than a
// column (at the sample level also at every gap mark). nullopt and *error
// on a failed read.
std::optional<HistoryView> loadHistoryView(const QSqlDatabase& db, qint64 from, qint64 to,
                                           int buckets, QString* error);

// One minute (or hour) of aggregates, values in the units of the chart
// channels (temperatures in degrees), each missing when no sample had it.
struct AggregateRow {
    struct Stat {
        std::optional<double> min, mean, max;
    };
    qint64 msecs = 0; // start of the period, UTC
    int count = 0;    // samples behind it
    std::array<Stat, kHistoryChannelCount> values;
    bool rain = false, alarm = false, segmentStart = false;
};

using SampleVisitor = std::function<void(const LiveSample&)>;
using AggregateVisitor = std::function<void(const AggregateRow&)>;

// Every stored sample in [from, to), oldest first.
bool forEachStoredSample(const QSqlDatabase& db, qint64 from, qint64 to, const SampleVisitor& f,
                         QString* error);
// Every stored minute that starts in [from, to), oldest first.
bool forEachStoredMinute(const QSqlDatabase& db, qint64 from, qint64 to, const AggregateVisitor& f,
                         QString* error);
// The oldest sample kept at full rate; nullopt when there is none.
std::optional<qint64> oldestStoredSample(const QSqlDatabase& db);
// A minute as one sample of its means (rounded as the sample keeps them).
LiveSample meanSample(const AggregateRow& row);

} // namespace korvane
