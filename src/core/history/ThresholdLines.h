#pragma once

#include <QList>
#include <QString>

namespace korvane {

struct ParameterSet;

// The charts of the live-value history.
enum class HistoryChart { Brightness, Wind, Temperature, Humidity };

// A threshold of an automatic, drawn as a level line over its chart.
struct ThresholdLine {
    HistoryChart chart;
    QString label; // German, with the value
    double value;  // in the chart's unit

    friend bool operator==(const ThresholdLine&, const ThresholdLine&) = default;
};

// The thresholds of `motor` (0..7) in `profile`: shading brightness, twilight
// morning and evening brightness, wind speed, the two inside temperature and
// the two humidity thresholds, each only while its automatic is switched on.
QList<ThresholdLine> thresholdLines(const ParameterSet& set, int profile, int motor);

} // namespace korvane
