#pragma once

#include "history/LiveSample.h"
#include "session/ModelInfo.h"

#include <QJsonObject>

namespace korvane {

class StatusPanels;

// The live values of one reply as JSON numbers in the units of the status bar
// and the CSV: brightness in lux, temperatures in °C, wind in km/h, humidity
// in %; rain and alarm as booleans. A sensor the model does not have is null:
// a temperature the controller reports as missing, the humidity of a model
// without that sensor, brightness, wind and rain of a model without outdoor
// automatics. Keys: brightness, brightnessMean, insideTemperature,
// outsideTemperature, windKmh, windMaxKmh, rain, alarm, humidityPercent.
QJsonObject liveValuesJson(const LiveSample& sample, const ModelInfo& model);

// The same plus what the status bar shows of the controller itself: model
// (the model text), version (the firmware, without the "V" of the panel),
// date and time (as the controller sends them; null while not connected).
QJsonObject controllerStateJson(const StatusPanels& panels, const ModelInfo& model,
                                const LiveSample& sample);

} // namespace korvane
