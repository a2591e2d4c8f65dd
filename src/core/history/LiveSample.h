#pragma once

#include "protocol/ReplyValues.h"

#include <QtGlobal>
#include <optional>

namespace korvane {

// One "skd" live-values reply as a point of the history: 24 bytes, so that a
// day at the poll rate stays near 2.3 MB.
struct LiveSample {
    static constexpr qint16 kNoTemperature = -32768;
    enum Flag : quint8 {
        Rain = 1,
        Alarm = 2,
        SegmentStart = 4, // data before this sample is missing (a gap)
    };

    qint64 msecs = 0; // UTC, milliseconds since the epoch
    qint16 luxNow = 0;
    qint16 luxMean = 0;
    qint16 insideTenths = kNoTemperature; // degrees Celsius times ten
    qint16 outsideTenths = kNoTemperature;
    qint16 wind = 0;     // km/h
    qint16 windMax = 0;  // km/h
    quint8 humidity = 0; // percent; 0: no humidity sensor
    quint8 flags = 0;

    bool rain() const { return flags & Rain; }
    bool alarm() const { return flags & Alarm; }
    bool startsSegment() const { return flags & SegmentStart; }
    std::optional<double> inside() const;
    std::optional<double> outside() const;
    std::optional<int> humidityPercent() const;
};

// The sample of a live-values reply received at `msecs`.
LiveSample sampleFromReply(const ReplyValues& v, qint64 msecs);

} // namespace korvane
