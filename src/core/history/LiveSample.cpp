#include "history/LiveSample.h"

#include "session/LiveValues.h"

#include <algorithm>

namespace korvane {
namespace {

qint16 clamp16(qint32 v) {
    return qint16(std::clamp<qint32>(v, -32767, 32767));
}

qint16 temperatureTenths(qint32 whole, qint32 tenths) {
    if (whole == kNoTemperatureSensor)
        return LiveSample::kNoTemperature;
    return clamp16(qRound(temperatureDegrees(whole, tenths) * 10));
}

std::optional<double> degrees(qint16 tenths) {
    if (tenths == LiveSample::kNoTemperature)
        return std::nullopt;
    return tenths / 10.0;
}

// A value of the outdoor sensors (or the alarm input) of `s`.
template <typename T> std::optional<T> outdoor(const LiveSample& s, T value) {
    return s.hasOutdoorSensors() ? std::optional<T>(value) : std::nullopt;
}

} // namespace

std::optional<int> LiveSample::brightness() const {
    return outdoor<int>(*this, luxNow);
}

std::optional<int> LiveSample::brightnessMean() const {
    return outdoor<int>(*this, luxMean);
}

std::optional<double> LiveSample::inside() const {
    return degrees(insideTenths);
}

std::optional<double> LiveSample::outside() const {
    return degrees(outsideTenths);
}

std::optional<int> LiveSample::windKmh() const {
    return outdoor<int>(*this, wind);
}

std::optional<int> LiveSample::windMaxKmh() const {
    return outdoor<int>(*this, windMax);
}

std::optional<bool> LiveSample::raining() const {
    return outdoor<bool>(*this, rain());
}

std::optional<bool> LiveSample::alarmRaised() const {
    return outdoor<bool>(*this, alarm());
}

std::optional<int> LiveSample::humidityPercent() const {
    return humidity == 0 ? std::nullopt : std::optional<int>(humidity);
}

LiveSample sampleFromReply(const ReplyValues& v, const ModelInfo& model, qint64 msecs) {
    LiveSample s;
    s.msecs = msecs;
    s.insideTenths = temperatureTenths(v[1], v[2]);
    s.outsideTenths = temperatureTenths(v[5], v[6]);
    // Only the conservatory model measures humidity.
    if (model.conservatory)
        s.humidity = quint8(std::clamp<qint32>(v[15], 0, 255));
    if (!model.hasOutdoorAutomatics()) {
        // What such a controller sends there (zeros) is no measurement.
        s.flags = LiveSample::NoOutdoorSensors;
        return s;
    }
    s.luxNow = clamp16(v[0]);
    s.luxMean = clamp16(v[14]);
    s.wind = clamp16(v[9]);
    s.windMax = clamp16(v[10]);
    s.flags = quint8((v[11] != 0 ? LiveSample::Alarm : 0) | (v[12] != 0 ? LiveSample::Rain : 0));
    return s;
}

} // namespace korvane
