#include "session/ControllerStateJson.h"

#include "session/StatusPanels.h"

namespace korvane {
namespace {

QJsonValue orNull(bool present, const QJsonValue& value) {
    return present ? value : QJsonValue();
}

template <typename T> QJsonValue optionalJson(const std::optional<T>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QJsonValue panelText(const StatusPanels& panels, int panel, qsizetype skip = 0) {
    const QString text = panels.text(panel).trimmed().mid(skip);
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

QJsonObject liveValuesJson(const LiveSample& s, const ModelInfo& model) {
    const bool outdoor = model.hasOutdoorAutomatics();
    return {
        {QStringLiteral("brightness"), orNull(outdoor, s.luxNow)},
        {QStringLiteral("brightnessMean"), orNull(outdoor, s.luxMean)},
        {QStringLiteral("insideTemperature"), optionalJson(s.inside())},
        {QStringLiteral("outsideTemperature"), optionalJson(s.outside())},
        {QStringLiteral("windKmh"), orNull(outdoor, s.wind)},
        {QStringLiteral("windMaxKmh"), orNull(outdoor, s.windMax)},
        {QStringLiteral("rain"), orNull(outdoor, s.rain())},
        {QStringLiteral("alarm"), s.alarm()},
        {QStringLiteral("humidityPercent"), optionalJson(s.humidityPercent())},
    };
}

QJsonObject controllerStateJson(const StatusPanels& panels, const ModelInfo& model,
                                const LiveSample& sample) {
    QJsonObject o = liveValuesJson(sample, model);
    const bool connected = panels.text(StatusPanels::Model) != kNoConnectionText;
    o.insert(QStringLiteral("model"),
             connected ? panelText(panels, StatusPanels::Model) : QJsonValue());
    o.insert(QStringLiteral("version"), panelText(panels, StatusPanels::Version, 1));
    o.insert(QStringLiteral("date"), panelText(panels, StatusPanels::Date));
    o.insert(QStringLiteral("time"), panelText(panels, StatusPanels::Time));
    return o;
}

} // namespace korvane
