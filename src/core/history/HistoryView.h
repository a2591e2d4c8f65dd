#pragma once

#include "history/LiveHistory.h"

#include <QList>
#include <QPointF>
#include <array>
#include <optional>

namespace korvane {

// The curves of the history charts.
enum class HistoryChannel { LuxNow, LuxMean, Inside, Outside, Wind, WindMax, Humidity };
inline constexpr int kHistoryChannelCount = 7;

std::optional<double> channelValue(const LiveSample& s, HistoryChannel channel);

struct TimeSpan {
    qint64 from = 0, to = 0;
    friend bool operator==(const TimeSpan&, const TimeSpan&) = default;
};

// A time range of the history reduced to what a chart can show: per channel
// the curve pieces between gaps (x: UTC milliseconds), each bucket of the
// range contributing its minimum and maximum; rain and alarm as spans.
struct HistoryView {
    std::array<QList<QList<QPointF>>, kHistoryChannelCount> segments;
    QList<TimeSpan> rain;
    QList<TimeSpan> alarm;

    const QList<QList<QPointF>>& curve(HistoryChannel c) const { return segments[int(c)]; }
};

// `buckets` (>= 1) slices [from, to); spans closer than one slice merge.
HistoryView buildHistoryView(const LiveHistory& history, qint64 from, qint64 to, int buckets);

} // namespace korvane
