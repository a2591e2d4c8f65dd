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

} // namespace

std::optional<double> LiveSample::inside() const {
    return degrees(insideTenths);
}

std::optional<double> LiveSample::outside() const {
    return degrees(outsideTenths);
}

std::optional<int> LiveSample::humidityPercent() const {
    return humidity == 0 ? std::nullopt : std::optional<int>(humidity);
}

LiveSample sampleFromReply(const ReplyValues& v, qint64 msecs) {
    LiveSample s;
    s.msecs = msecs;
    s.luxNow = clamp16(v[0]);
    s.insideTenths = temperatureTenths(v[1], v[2]);
    s.outsideTenths = temperatureTenths(v[5], v[6]);
    s.wind = clamp16(v[9]);
    s.windMax = clamp16(v[10]);
    s.flags = quint8((v[11] != 0 ? LiveSample::Alarm : 0) | (v[12] != 0 ? LiveSample::Rain : 0));
    s.luxMean = clamp16(v[14]);
    s.humidity = quint8(std::clamp<qint32>(v[15], 0, 255));
    return s;
}

} // namespace korvane
