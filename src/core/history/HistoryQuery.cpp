#include "history/HistoryQuery.h"

#include "history/HistorySchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <cmath>

namespace korvane {
namespace {

constexpr qint64 kMinute = 60 * 1000;
constexpr qint64 kHour = 60 * kMinute;
constexpr qint64 kSampleGapMs = 5000;

// Temperatures are kept in tenths of a degree.
double scale(int channel) {
    return channel == int(HistoryChannel::Inside) || channel == int(HistoryChannel::Outside) ? 10.0
                                                                                             : 1.0;
}

std::optional<double> valueAt(const QSqlQuery& q, int column, double divisor) {
    const QVariant v = q.value(column);
    if (v.isNull())
        return std::nullopt;
    return v.toDouble() / divisor;
}

bool failed(const QSqlQuery& q, QString* error) {
    if (error)
        *error = q.lastError().text();
    return false;
}

class SpanBuilder {
public:
    explicit SpanBuilder(QList<TimeSpan>& spans) : m_spans(spans) {}
    void add(bool on, qint64 from, qint64 to, bool broken) {
        if (!on)
            return;
        if (!broken && !m_spans.isEmpty() && m_spans.last().to == from)
            m_spans.last().to = to;
        else
            m_spans.append({from, to});
    }

private:
    QList<TimeSpan>& m_spans;
};

} // namespace

HistoryLevel historyLevelFor(qint64 bucketMs) {
    if (bucketMs < kMinute)
        return HistoryLevel::Samples;
    return bucketMs < kHour ? HistoryLevel::Minutes : HistoryLevel::Hours;
}

std::optional<HistoryView> loadHistoryView(const QSqlDatabase& db, qint64 from, qint64 to,
                                           int buckets, QString* error) {
    const qint64 width = std::max<qint64>(1, (to - from) / std::max(1, buckets));
    const HistoryLevel level = historyLevelFor(width);
    const bool samples = level == HistoryLevel::Samples;
    const QString table = samples                          ? QStringLiteral("samples")
                          : level == HistoryLevel::Minutes ? QStringLiteral("minutes")
                                                           : QStringLiteral("hours");
    const qint64 resolution = samples                          ? kSampleGapMs
                              : level == HistoryLevel::Minutes ? kMinute
                                                               : kHour;
    QStringList columns;
    for (const QString& c : historyValueColumns())
        columns << (samples ? QStringLiteral("min(%1), max(%1)")
                            : QStringLiteral("min(%1_min), max(%1_max)"))
                       .arg(c);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT (t - ?) / ? AS b, min(t), max(t), max(flags & 1), "
                             "max(flags & 2), max(flags & 4), %1 FROM %2 WHERE t >= ? AND t < ? "
                             "GROUP BY b ORDER BY b")
                  .arg(columns.join(QStringLiteral(", ")), table));
    q.bindValue(0, from);
    q.bindValue(1, width);
    q.bindValue(2, from);
    q.bindValue(3, to);
    if (!q.exec()) {
        failed(q, error);
        return std::nullopt;
    }
    HistoryView view;
    SpanBuilder rain(view.rain), alarm(view.alarm);
    std::array<bool, kHistoryChannelCount> open{};
    // A curve breaks where more than a column (or the table's own
    // resolution) is missing between two columns with data; among samples
    // also at a column holding the first sample after a gap.
    const qint64 breakAbove = std::max(width, resolution);
    qint64 previousLast = std::numeric_limits<qint64>::min() / 2;
    while (q.next()) {
        const qint64 b = q.value(0).toLongLong();
        const qint64 start = from + b * width;
        const bool broken = q.value(1).toLongLong() - previousLast > breakAbove ||
                            (samples && q.value(5).toInt() != 0);
        previousLast = q.value(2).toLongLong();
        if (broken)
            open.fill(false);
        const double x = double(start + width / 2);
        for (int c = 0; c < kHistoryChannelCount; ++c) {
            const auto lo = valueAt(q, 6 + 2 * c, scale(c));
            const auto hi = valueAt(q, 7 + 2 * c, scale(c));
            if (!lo || !hi) {
                open[c] = false;
                continue;
            }
            auto& segments = view.segments[c];
            if (!open[c])
                segments.append(QList<QPointF>());
            open[c] = true;
            segments.last().append(QPointF(x, *lo));
            if (*hi != *lo)
                segments.last().append(QPointF(x, *hi));
        }
        const qint64 end = std::min(start + width, to);
        rain.add(q.value(3).toInt() != 0, start, end, broken);
        alarm.add(q.value(4).toInt() != 0, start, end, broken);
    }
    return view;
}

bool forEachStoredSample(const QSqlDatabase& db, qint64 from, qint64 to, const SampleVisitor& f,
                         QString* error) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT t, %1, flags FROM samples WHERE t >= ? AND t < ? ORDER BY t")
                  .arg(historyValueColumns().join(QStringLiteral(", "))));
    q.bindValue(0, from);
    q.bindValue(1, to);
    if (!q.exec())
        return failed(q, error);
    while (q.next()) {
        LiveSample s;
        s.msecs = q.value(0).toLongLong();
        s.luxNow = qint16(q.value(1).toInt());
        s.luxMean = qint16(q.value(2).toInt());
        s.insideTenths =
            q.value(3).isNull() ? LiveSample::kNoTemperature : qint16(q.value(3).toInt());
        s.outsideTenths =
            q.value(4).isNull() ? LiveSample::kNoTemperature : qint16(q.value(4).toInt());
        s.wind = qint16(q.value(5).toInt());
        s.windMax = qint16(q.value(6).toInt());
        s.humidity = quint8(q.value(7).toInt());
        s.flags = quint8(q.value(8).toInt());
        f(s);
    }
    return q.lastError().type() == QSqlError::NoError || failed(q, error);
}

bool forEachStoredMinute(const QSqlDatabase& db, qint64 from, qint64 to, const AggregateVisitor& f,
                         QString* error) {
    QStringList columns;
    for (const QString& c : historyValueColumns())
        columns << c + QStringLiteral("_min") << c + QStringLiteral("_mean")
                << c + QStringLiteral("_max");
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT t, n, flags, %1 FROM minutes WHERE t >= ? AND t < ? ORDER BY t")
            .arg(columns.join(QStringLiteral(", "))));
    q.bindValue(0, from);
    q.bindValue(1, to);
    if (!q.exec())
        return failed(q, error);
    while (q.next()) {
        AggregateRow row;
        row.msecs = q.value(0).toLongLong();
        row.count = q.value(1).toInt();
        const int flags = q.value(2).toInt();
        row.rain = flags & LiveSample::Rain;
        row.alarm = flags & LiveSample::Alarm;
        row.segmentStart = flags & LiveSample::SegmentStart;
        for (int c = 0; c < kHistoryChannelCount; ++c) {
            row.values[c] = {valueAt(q, 3 + 3 * c, scale(c)), valueAt(q, 4 + 3 * c, 10 * scale(c)),
                             valueAt(q, 5 + 3 * c, scale(c))};
        }
        f(row);
    }
    return q.lastError().type() == QSqlError::NoError || failed(q, error);
}

std::optional<qint64> oldestStoredSample(const QSqlDatabase& db) {
    QSqlQuery q(db);
    if (q.exec(QStringLiteral("SELECT min(t) FROM samples")) && q.next() && !q.value(0).isNull())
        return q.value(0).toLongLong();
    return std::nullopt;
}

LiveSample meanSample(const AggregateRow& row) {
    auto mean = [&](HistoryChannel c, double factor) -> std::optional<int> {
        const auto& m = row.values[int(c)].mean;
        if (!m)
            return std::nullopt;
        return int(std::lround(*m * factor));
    };
    LiveSample s;
    s.msecs = row.msecs;
    s.luxNow = qint16(mean(HistoryChannel::LuxNow, 1).value_or(0));
    s.luxMean = qint16(mean(HistoryChannel::LuxMean, 1).value_or(0));
    s.insideTenths = qint16(mean(HistoryChannel::Inside, 10).value_or(LiveSample::kNoTemperature));
    s.outsideTenths =
        qint16(mean(HistoryChannel::Outside, 10).value_or(LiveSample::kNoTemperature));
    s.wind = qint16(mean(HistoryChannel::Wind, 1).value_or(0));
    s.windMax = qint16(mean(HistoryChannel::WindMax, 1).value_or(0));
    s.humidity = quint8(mean(HistoryChannel::Humidity, 1).value_or(0));
    s.flags = quint8((row.rain ? LiveSample::Rain : 0) | (row.alarm ? LiveSample::Alarm : 0) |
                     (row.segmentStart ? LiveSample::SegmentStart : 0) |
                     (mean(HistoryChannel::LuxNow, 1) ? 0 : LiveSample::NoOutdoorSensors));
    return s;
}

} // namespace korvane
