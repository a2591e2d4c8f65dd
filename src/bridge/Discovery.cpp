#include "Discovery.h"

#include "params/MotorNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace korvane::bridge {
namespace {

struct SensorKind {
    const char* entity;
    const char* name;
    const char* jsonKey;
    const char* deviceClass;
    const char* unit;
};

// The status bar's values in its units; the key is the state JSON's.
const SensorKind kOutdoorSensors[] = {
    {"brightness", "Helligkeit", "brightness", "illuminance", "lx"},
    {"brightness_mean", "Helligkeit Mittel", "brightnessMean", "illuminance", "lx"},
    {"wind", "Wind", "windKmh", "wind_speed", "km/h"},
    {"wind_max", "Max. Wind", "windMaxKmh", "wind_speed", "km/h"},
};
const SensorKind kTemperatureSensors[] = {
    {"inside_temperature", "Innentemperatur", "insideTemperature", "temperature", "\u00B0C"},
    {"outside_temperature", "Au\u00DFentemperatur", "outsideTemperature", "temperature", "\u00B0C"},
};
const SensorKind kHumiditySensor = {"humidity", "Luftfeuchte", "humidityPercent", "humidity", "%"};

QJsonObject availability(const QString& topic, const char* on, const char* off) {
    return {{QStringLiteral("topic"), topic},
            {QStringLiteral("payload_available"), QLatin1String(on)},
            {QStringLiteral("payload_not_available"), QLatin1String(off)}};
}

class Builder {
public:
    explicit Builder(const DiscoveryInput& in) : m_in(in) {
        const QString node = QStringLiteral("korvane_") + in.id;
        m_node = node;
        m_device = {{QStringLiteral("identifiers"), QJsonArray{node}},
                    {QStringLiteral("name"), QStringLiteral("Korvane ") + in.id},
                    {QStringLiteral("model"), in.modelText},
                    {QStringLiteral("sw_version"), in.firmware}};
        m_bridgeOnly = QJsonArray{availability(in.topics.availability(), "online", "offline")};
        m_both = QJsonArray{availability(in.topics.availability(), "online", "offline"),
                            availability(in.topics.connected(), "true", "false")};
    }

    // Common keys; `controllerValue` entities need the controller too.
    QJsonObject entity(const QString& entity, const QString& name, bool controllerValue) const {
        return {{QStringLiteral("name"), name},
                {QStringLiteral("unique_id"), m_node + QLatin1Char('_') + entity},
                {QStringLiteral("object_id"), m_node + QLatin1Char('_') + entity},
                {QStringLiteral("has_entity_name"), true},
                {QStringLiteral("device"), m_device},
                {QStringLiteral("availability"), controllerValue ? m_both : m_bridgeOnly},
                {QStringLiteral("availability_mode"), QStringLiteral("all")}};
    }

    void add(const char* component, const QString& entity, const QJsonObject& config) {
        m_out.append({m_in.prefix + QLatin1Char('/') + QLatin1String(component) + QLatin1Char('/') +
                          m_node + QLatin1Char('/') + entity + QStringLiteral("/config"),
                      QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }

    void sensor(const SensorKind& k) {
        QJsonObject o = entity(QLatin1String(k.entity), QString::fromUtf8(k.name), true);
        o.insert(QStringLiteral("state_topic"), m_in.topics.state());
        o.insert(QStringLiteral("value_template"),
                 QStringLiteral("{{ value_json.%1 }}").arg(QLatin1String(k.jsonKey)));
        o.insert(QStringLiteral("device_class"), QLatin1String(k.deviceClass));
        o.insert(QStringLiteral("unit_of_measurement"), QString::fromUtf8(k.unit));
        o.insert(QStringLiteral("state_class"), QStringLiteral("measurement"));
        add("sensor", QLatin1String(k.entity), o);
    }

    void stateFlag(const char* entity, const char* name, const char* jsonKey, const char* cls) {
        QJsonObject o = entity_(entity, name, true);
        o.insert(QStringLiteral("state_topic"), m_in.topics.state());
        o.insert(
            QStringLiteral("value_template"),
            QStringLiteral("{{ 'ON' if value_json.%1 else 'OFF' }}").arg(QLatin1String(jsonKey)));
        o.insert(QStringLiteral("device_class"), QLatin1String(cls));
        add("binary_sensor", QLatin1String(entity), o);
    }

    // A binary sensor on a "true"/"false" topic of the bridge itself.
    void bridgeFlag(const char* entity, const char* name, const QString& topic, const char* cls) {
        QJsonObject o = entity_(entity, name, false);
        o.insert(QStringLiteral("state_topic"), topic);
        o.insert(QStringLiteral("payload_on"), QStringLiteral("true"));
        o.insert(QStringLiteral("payload_off"), QStringLiteral("false"));
        if (cls)
            o.insert(QStringLiteral("device_class"), QLatin1String(cls));
        o.insert(QStringLiteral("entity_category"), QStringLiteral("diagnostic"));
        add("binary_sensor", QLatin1String(entity), o);
    }

    void cover(int motor, const QString& name) {
        const QString id = QStringLiteral("motor_") + QString::number(motor);
        QJsonObject o = entity(id, name, true);
        o.insert(QStringLiteral("device_class"), QStringLiteral("shutter"));
        if (m_in.commands) {
            o.insert(QStringLiteral("command_topic"), m_in.topics.motorSet(motor));
            o.insert(QStringLiteral("payload_open"), QStringLiteral("OPEN"));
            o.insert(QStringLiteral("payload_close"), QStringLiteral("CLOSE"));
            o.insert(QStringLiteral("payload_stop"), QStringLiteral("STOP"));
        }
        add("cover", id, o);
    }

    QList<DiscoveryMessage> take() { return std::move(m_out); }

private:
    QJsonObject entity_(const char* entity, const char* name, bool controllerValue) const {
        return this->entity(QLatin1String(entity), QString::fromUtf8(name), controllerValue);
    }

    const DiscoveryInput& m_in;
    QString m_node;
    QJsonObject m_device;
    QJsonArray m_bridgeOnly, m_both;
    QList<DiscoveryMessage> m_out;
};

} // namespace

int Topics::motorOfSetTopic(const QString& topic) const {
    const QString head = base + QStringLiteral("/motor/");
    if (!topic.startsWith(head) || !topic.endsWith(QStringLiteral("/set")))
        return 0;
    const QString middle = topic.mid(head.size(), topic.size() - head.size() - 4);
    bool ok = false;
    const int motor = middle.toInt(&ok);
    return ok && middle == QString::number(motor) ? motor : 0;
}

QString shownMotorName(const QString& controllerName, int motor) {
    const QString name = controllerName.trimmed();
    return name.isEmpty() ? MotorNames::defaultName(motor - 1) : name;
}

QList<DiscoveryMessage> discoveryMessages(const DiscoveryInput& in) {
    Builder b(in);
    if (in.model.hasOutdoorAutomatics()) {
        for (const SensorKind& k : kOutdoorSensors)
            b.sensor(k);
        b.stateFlag("rain", "Regen", "rain", "moisture");
    }
    for (const SensorKind& k : kTemperatureSensors)
        b.sensor(k);
    if (in.model.conservatory)
        b.sensor(kHumiditySensor);
    b.stateFlag("alarm", "Alarm", "alarm", "safety");
    b.bridgeFlag("connection", "Verbindung", in.topics.connected(), "connectivity");
    b.bridgeFlag("manual", "Handbetrieb", in.topics.manual(), nullptr);
    for (int m = 1; m <= in.model.motorCount; ++m)
        b.cover(m, in.motorNames.value(m - 1, MotorNames::defaultName(m - 1)));
    return b.take();
}

} // namespace korvane::bridge
