#pragma once

#include "history/LiveSample.h"

#include <QJsonObject>

namespace korvane {

class StatusPanels;

// The live values of one reply as JSON numbers in the units of the status bar
// and the CSV: brightness in lux, temperatures in °C, wind in km/h, humidity
// in %; rain and alarm as booleans. A sensor the model does not have (the
// sample tells) is null. Keys: brightness, brightnessMean, insideTemperature,
// outsideTemperature, windKmh, windMaxKmh, rain, alarm, humidityPercent.
QJsonObject liveValuesJson(const LiveSample& sample);

// The same plus what the status bar shows of the controller itself: model
// (the model text), version (the firmware, without the "V" of the panel),
// date and time (as the controller sends them; null while not connected).
QJsonObject controllerStateJson(const StatusPanels& panels, const LiveSample& sample);

} // namespace korvane
