#include "history/HistoryView.h"

namespace korvane {
namespace {

// Minimum and maximum of one channel within the current bucket.
struct Extremes {
    bool any = false;
    double min = 0, max = 0;
    qint64 tMin = 0, tMax = 0;

    void add(double v, qint64 t) {
        if (!any || v < min)
            min = v, tMin = t;
        if (!any || v > max)
            max = v, tMax = t;
        any = true;
    }
};

class ViewBuilder {
public:
    ViewBuilder(qint64 from, qint64 to, int buckets)
        : m_from(from), m_width(std::max<qint64>(1, (to - from) / std::max(1, buckets))) {}

    void add(const LiveSample& s) {
        const qint64 bucket = (s.msecs - m_from) / m_width;
        if (s.startsSegment() || bucket != m_bucket) {
            flushAll();
            if (s.startsSegment() && m_started)
                breakAll();
        }
        m_bucket = bucket;
        m_started = true;
        for (int c = 0; c < kHistoryChannelCount; ++c) {
            if (const auto v = channelValue(s, HistoryChannel(c))) {
                m_acc[c].add(*v, s.msecs);
            } else {
                flush(c);
                m_open[c] = false;
            }
        }
        span(m_view.rain, m_rainOpen, s.rain(), s);
        span(m_view.alarm, m_alarmOpen, s.alarm(), s);
        m_last = s.msecs;
    }

    HistoryView finish() {
        flushAll();
        if (m_rainOpen)
            m_view.rain.last().to = m_last;
        if (m_alarmOpen)
            m_view.alarm.last().to = m_last;
        return std::move(m_view);
    }

private:
    void flush(int c) {
        Extremes& e = m_acc[c];
        if (!e.any)
            return;
        auto& segments = m_view.segments[c];
        if (!m_open[c] || segments.isEmpty())
            segments.append(QList<QPointF>());
        m_open[c] = true;
        QList<QPointF>& points = segments.last();
        const QPointF lo(double(e.tMin), e.min), hi(double(e.tMax), e.max);
        if (e.tMin == e.tMax)
            points.append(lo);
        else if (e.tMin < e.tMax)
            points << lo << hi;
        else
            points << hi << lo;
        e = Extremes{};
    }
    void flushAll() {
        for (int c = 0; c < kHistoryChannelCount; ++c)
            flush(c);
    }
    void breakAll() {
        m_open.fill(false);
        if (m_rainOpen)
            m_view.rain.last().to = m_last, m_rainOpen = false;
        if (m_alarmOpen)
            m_view.alarm.last().to = m_last, m_alarmOpen = false;
    }
    void span(QList<TimeSpan>& spans, bool& open, bool on, const LiveSample& s) {
        if (on && !open) {
            if (!spans.isEmpty() && !s.startsSegment() && s.msecs - spans.last().to < m_width)
                spans.last().to = s.msecs; // close to the previous one: merge
            else
                spans.append({s.msecs, s.msecs});
            open = true;
        } else if (!on && open) {
            spans.last().to = s.msecs;
            open = false;
        }
    }

    qint64 m_from, m_width;
    qint64 m_bucket = -1;
    qint64 m_last = 0;
    bool m_started = false;
    bool m_rainOpen = false, m_alarmOpen = false;
    std::array<Extremes, kHistoryChannelCount> m_acc{};
    std::array<bool, kHistoryChannelCount> m_open{};
    HistoryView m_view;
};

} // namespace

std::optional<double> channelValue(const LiveSample& s, HistoryChannel channel) {
    switch (channel) {
    case HistoryChannel::LuxNow:
        return s.brightness();
    case HistoryChannel::LuxMean:
        return s.brightnessMean();
    case HistoryChannel::Inside:
        return s.inside();
    case HistoryChannel::Outside:
        return s.outside();
    case HistoryChannel::Wind:
        return s.windKmh();
    case HistoryChannel::WindMax:
        return s.windMaxKmh();
    case HistoryChannel::Humidity:
        if (const auto h = s.humidityPercent())
            return double(*h);
        return std::nullopt;
    }
    return std::nullopt;
}

HistoryView buildHistoryView(const LiveHistory& history, qint64 from, qint64 to, int buckets) {
    ViewBuilder builder(from, to, buckets);
    history.forEach(from, to, [&](const LiveSample& s) { builder.add(s); });
    return builder.finish();
}

} // namespace korvane
