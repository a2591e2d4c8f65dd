#include "session/ControllerStateJson.h"

#include "session/StatusPanels.h"

namespace korvane {
namespace {

template <typename T> QJsonValue optionalJson(const std::optional<T>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue panelText(const StatusPanels& panels, int panel, qsizetype skip = 0) {
    const QString text = panels.text(panel).trimmed().mid(skip);
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

QJsonObject liveValuesJson(const LiveSample& s) {
    return {
        {QStringLiteral("brightness"), optionalJson(s.brightness())},
        {QStringLiteral("brightnessMean"), optionalJson(s.brightnessMean())},
        {QStringLiteral("insideTemperature"), optionalJson(s.inside())},
        {QStringLiteral("outsideTemperature"), optionalJson(s.outside())},
        {QStringLiteral("windKmh"), optionalJson(s.windKmh())},
        {QStringLiteral("windMaxKmh"), optionalJson(s.windMaxKmh())},
        {QStringLiteral("rain"), optionalJson(s.raining())},
        {QStringLiteral("alarm"), optionalJson(s.alarmRaised())},
        {QStringLiteral("humidityPercent"), optionalJson(s.humidityPercent())},
    };
}

QJsonObject controllerStateJson(const StatusPanels& panels, const LiveSample& sample) {
    QJsonObject o = liveValuesJson(sample);
    const bool connected = panels.text(StatusPanels::Model) != kNoConnectionText;
    o.insert(QStringLiteral("model"),
             connected ? panelText(panels, StatusPanels::Model) : QJsonValue());
    o.insert(QStringLiteral("version"), panelText(panels, StatusPanels::Version, 1));
    o.insert(QStringLiteral("date"), panelText(panels, StatusPanels::Date));
    o.insert(QStringLiteral("time"), panelText(panels, StatusPanels::Time));
    return o;
}

} // namespace korvane
