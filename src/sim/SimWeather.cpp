#include "SimWeather.h"

#include <QtMath>
#include <algorithm>
#include <cmath>

namespace korvane {

namespace {

constexpr double kMeanSeconds = 300;      // time constant of the mean brightness
constexpr double kMaxStepSeconds = 60;    // longest step of the model
constexpr double kMaxWalkSeconds = 86400; // longer jumps settle at once

double hourOfDay(const QDateTime& at) {
    const QTime t = at.time();
    return t.hour() + t.minute() / 60.0 + t.second() / 3600.0;
}

// Brightness under a clear sky, 0..255: sunrise at 6, sunset at 20.
double clearSky(double hour) {
    if (hour <= 6 || hour >= 20)
        return 0;
    return 255 * std::pow(std::sin(M_PI * (hour - 6) / 14), 0.6);
}

double relax(double value, double target, double seconds, double tau) {
    return value + (target - value) * (1 - std::exp(-seconds / tau));
}

} // namespace

SimWeather::SimWeather(SimSensors sensors, quint32 seed) : m_sensors(sensors), m_random(seed) {}

void SimWeather::advance(const QDateTime& now) {
    ++m_advances;
    if (!m_last.isValid() || now < m_last) {
        m_last = now;
        step(now, 0);
        return;
    }
    double seconds = m_last.msecsTo(now) / 1000.0;
    if (seconds > kMaxWalkSeconds) {
        m_last = now;
        step(now, 0);
        return;
    }
    QDateTime at = m_last;
    while (seconds > 0) {
        const double dt = std::min(seconds, kMaxStepSeconds);
        at = at.addMSecs(qint64(dt * 1000));
        step(at, dt);
        seconds -= dt;
    }
    m_last = now;
}

void SimWeather::step(const QDateTime& at, double seconds) {
    const bool settle = seconds <= 0;
    const double hour = hourOfDay(at);
    auto noise = [this](double amplitude) { return (m_random.generateDouble() - 0.5) * amplitude; };

    // Rain spells: about one every two hours, a quarter of an hour long.
    if (!settle) {
        const double p = m_random.generateDouble();
        if (m_raining ? p < seconds / 900 : p < seconds / 7200)
            m_raining = !m_raining;
    }

    m_clouds = std::clamp(m_clouds + noise(0.05 * std::sqrt(seconds)), 0.2, 1.0);
    m_brightness = clearSky(hour) * m_clouds * (m_raining ? 0.4 : 1.0);
    m_brightnessMean =
        settle ? m_brightness : relax(m_brightnessMean, m_brightness, seconds, kMeanSeconds);

    m_windBase += noise(2 * std::sqrt(seconds)) + (10 - m_windBase) * std::min(1.0, 0.01 * seconds);
    m_windBase = std::clamp(m_windBase, 0.0, 40.0);
    const bool gust = !settle && m_random.generateDouble() < std::min(1.0, 0.1 * seconds);
    m_wind = qRound(m_windBase + (gust ? 5 + 25 * m_random.generateDouble() : 0));
    if (settle && m_windMax == 0)
        m_windMax = m_wind;
    m_windMax = std::max(m_windMax, m_wind);

    const double outsideTarget = 8 + 7 * std::sin(2 * M_PI * (hour - 9) / 24) + m_brightness / 85;
    const double insideTarget = 20 + m_brightness / 25.5 + (m_outside - 10) * 0.2;
    const double humidityTarget =
        std::clamp(50 + (m_raining ? 35 : 0) - (m_inside - 20) * 1.5, 20.0, 99.0);
    if (settle) {
        m_outside = outsideTarget;
        m_inside = insideTarget;
        m_humidity = humidityTarget;
        m_outsideMin = m_outsideMax = m_outside;
        m_insideMin = m_insideMax = m_inside;
    } else {
        m_outside = relax(m_outside, outsideTarget, seconds, 1800) + noise(0.05);
        m_inside = relax(m_inside, insideTarget, seconds, 1200) + noise(0.05);
        m_humidity = std::clamp(relax(m_humidity, humidityTarget, seconds, 600), 1.0, 99.0);
    }
    m_outsideMin = std::min(m_outsideMin, m_outside);
    m_outsideMax = std::max(m_outsideMax, m_outside);
    m_insideMin = std::min(m_insideMin, m_inside);
    m_insideMax = std::max(m_insideMax, m_inside);
}

void SimWeather::resetWindMax() {
    m_windMax = m_wind;
}

void SimWeather::splitTemperature(double t, qint32* whole, qint32* tenths) {
    // The wire has no sign for the tenths: -3.5 °C is -3 and 5.
    const int inTenths = qRound(t * 10);
    *whole = inTenths / 10;
    *tenths = std::abs(inTenths % 10);
}

SimWeather::Values SimWeather::values() const {
    Values v{};
    const bool outdoor = m_sensors.outdoor;
    v[Brightness] = outdoor ? qRound(m_brightness) : 0;
    v[BrightnessMean] = outdoor ? qRound(m_brightnessMean) : 0;
    if (m_sensors.inside) {
        splitTemperature(m_inside, &v[InsideWhole], &v[InsideTenths]);
        v[InsideMin] = qRound(m_insideMin);
        v[InsideMax] = qRound(m_insideMax);
    } else {
        v[InsideWhole] = v[InsideMin] = v[InsideMax] = kNoTemperature;
    }
    if (outdoor) {
        splitTemperature(m_outside, &v[OutsideWhole], &v[OutsideTenths]);
        v[OutsideMin] = qRound(m_outsideMin);
        v[OutsideMax] = qRound(m_outsideMax);
    } else {
        v[OutsideWhole] = v[OutsideMin] = v[OutsideMax] = kNoTemperature;
    }
    v[Wind] = outdoor ? m_wind : 0;
    v[WindMax] = outdoor ? m_windMax : 0;
    v[WindStatus] = v[Wind];
    v[Alarm] = m_alarm ? 1 : 0;
    v[Rain] = outdoor && m_raining ? 1 : 0;
    v[Humidity] = m_sensors.humidity ? qRound(m_humidity) : 0;
    if (m_everyValueMoving) {
        // Each value runs through a cycle of two or more steps, so none repeats
        // its predecessor; a sensor the model lacks stays absent.
        const int n = m_advances;
        const auto cycle = [n](int base, int step, int length) {
            return base + step * (n % length);
        };
        const std::array<qint32, ValueCount> windy = {
            cycle(140, 9, 7), cycle(21, 1, 3), cycle(0, 1, 10),  cycle(18, 1, 2),
            cycle(27, 1, 2),  cycle(16, 1, 3), cycle(0, 1, 10),  cycle(9, 1, 2),
            cycle(19, 1, 2),  cycle(24, 5, 5), cycle(55, 1, 2),  cycle(0, 1, 2),
            cycle(0, 1, 2),   cycle(24, 5, 5), cycle(130, 1, 4), cycle(48, 2, 9)};
        for (int i = 0; i < ValueCount; ++i) {
            const bool present = i == Alarm                           ? true
                                 : i >= InsideWhole && i <= InsideMax ? m_sensors.inside
                                 : i == Humidity                      ? m_sensors.humidity
                                                                      : outdoor;
            if (present)
                v[i] = windy[i];
        }
    }
    return v;
}

} // namespace korvane
