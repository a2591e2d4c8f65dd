#pragma once

#include "protocol/ReplyValues.h"

#include <QString>
#include <optional>

namespace korvane {

// The texts that one "skd" live-values reply puts on the pages and panels.
// An optional panel text that is empty means "keep the previous text".
struct LiveDisplay {
    QString insideNow, insideMin, insideMax;    // IT_Aktuell(2), IT_Min(2), IT_Max(2)
    QString outsideNow, outsideMin, outsideMax; // AT_Aktuell(2), AT_Min/AT_min2, AT_Max(2)
    QString windNow;                            // AktWind
    int windBar = 0;                            // WindProgressBar position
    bool windBarVisible = false;
    QString windMax;                     // MaxWind
    QString alarm;                       // AlarmStatus
    QString rain;                        // RegenStatus
    QString humidity;                    // RelFeuchte
    QString lux;                         // BA_LuxAktuell, DM_LuxAktuell, DA_LuxAktuell
    std::optional<QString> sunPanel;     // panel 7, sensor or conservatory model only
    std::optional<QString> windPanel;    // panel 8, sensor or conservatory model only
    std::optional<QString> outsidePanel; // panel 9, absent when no sensor
    std::optional<QString> insidePanel;  // panel 10, absent when no sensor

    // Plain values for the command line.
    ReplyValues raw{};
};

inline constexpr int kNoTemperatureSensor = 999;

// A two-part temperature in degrees. The tenths carry no sign; the sign of
// the whole degrees applies to both: -3 and 5 are -3.5 °C.
double temperatureDegrees(qint32 whole, qint32 tenths);

LiveDisplay decodeLiveValues(const ReplyValues& v, bool luxMeanShown, bool outdoorModel);

} // namespace korvane
