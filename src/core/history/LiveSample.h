#pragma once

#include "protocol/ReplyValues.h"
#include "session/ModelInfo.h"

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
        // The controller has no brightness, wind or rain sensor and no alarm
        // input (a model with switch times only): those values are unknown.
        NoOutdoorSensors = 8,
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
    bool hasOutdoorSensors() const { return !(flags & NoOutdoorSensors); }

    // Each value, or nothing when the controller has no sensor for it.
    std::optional<int> brightness() const;
    std::optional<int> brightnessMean() const;
    std::optional<double> inside() const;
    std::optional<double> outside() const;
    std::optional<int> windKmh() const;
    std::optional<int> windMaxKmh() const;
    std::optional<bool> raining() const;
    std::optional<bool> alarmRaised() const;
    std::optional<int> humidityPercent() const;
};

// The sample of a live-values reply received at `msecs` from a controller of
// `model`. This is where a value of a sensor the controller does not have
// becomes "no value": brightness, wind, rain and alarm on a model without
// outdoor automatics, a temperature of 999, a humidity of 0 or on a model
// other than the conservatory one.
LiveSample sampleFromReply(const ReplyValues& v, const ModelInfo& model, qint64 msecs);

} // namespace korvane
