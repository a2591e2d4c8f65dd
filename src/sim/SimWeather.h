#pragma once

#include <QDateTime>
#include <QRandomGenerator>
#include <array>

namespace korvane {

// Which sensors the simulated controller has.
struct SimSensors {
    bool outdoor = true;  // brightness, wind, rain, outside temperature
    bool inside = true;   // inside temperature
    bool humidity = true; // relative humidity
};

// The live values of the "skd" reply: a small weather model that moves with
// the clock. The sun follows the time of day under drifting clouds, the wind
// wanders with occasional gusts, temperatures drift with the sun and keep
// their minimum and maximum, rain comes and goes, humidity follows rain and
// temperature. Advance it with the current time before each reply.
class SimWeather {
public:
    static constexpr int kNoTemperature = 999;
    // Index of each value in the reply.
    enum Value {
        Brightness = 0,
        InsideWhole,
        InsideTenths,
        InsideMin,
        InsideMax,
        OutsideWhole,
        OutsideTenths,
        OutsideMin,
        OutsideMax,
        Wind,
        WindMax,
        Alarm,
        Rain,
        WindStatus,
        BrightnessMean,
        Humidity,
        ValueCount
    };
    using Values = std::array<qint32, ValueCount>;

    explicit SimWeather(SimSensors sensors = {}, quint32 seed = 1);

    // Moves the model to `now`; large jumps are walked in steps of one minute
    // at most. The first call only sets the start.
    void advance(const QDateTime& now);
    Values values() const;

    // The "swl" request: the maximum restarts from the current wind speed.
    void resetWindMax();
    void setAlarm(bool on) { m_alarm = on; }
    void setRain(bool on) { m_raining = on; }
    // A windy afternoon for benchmarks of the display: from the next advance
    // on, every value of the reply differs from the one before (sun through
    // racing clouds, gusts, tenths of a degree, extremes, showers, the alarm
    // input); off, the model goes on.
    void setEveryValueMoving(bool on) { m_everyValueMoving = on; }
    const SimSensors& sensors() const { return m_sensors; }
    void setSensors(const SimSensors& sensors) { m_sensors = sensors; }

private:
    void step(const QDateTime& at, double seconds);
    static void splitTemperature(double t, qint32* whole, qint32* tenths);

    SimSensors m_sensors;
    QRandomGenerator m_random;
    QDateTime m_last;
    double m_clouds = 0.8;       // share of sunlight that gets through, 0.2..1
    double m_brightness = 0;     // 0..255
    double m_brightnessMean = 0; // exponential mean, time constant kMeanSeconds
    double m_windBase = 8;       // km/h, wandering
    int m_wind = 0;              // km/h including a gust
    int m_windMax = 0;
    double m_outside = 10;
    double m_inside = 21;
    double m_outsideMin = 10, m_outsideMax = 10;
    double m_insideMin = 21, m_insideMax = 21;
    double m_humidity = 55;
    bool m_raining = false;
    bool m_alarm = false;
    bool m_everyValueMoving = false;
    int m_advances = 0;
};

} // namespace korvane
