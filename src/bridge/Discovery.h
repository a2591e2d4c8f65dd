#pragma once

#include "session/ModelInfo.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvane::bridge {

// The topics of one controller under the base topic.
struct Topics {
    QString base;
    QString availability() const { return base + QStringLiteral("/availability"); }
    QString connected() const { return base + QStringLiteral("/connected"); }
    QString state() const { return base + QStringLiteral("/state"); }
    QString manual() const { return base + QStringLiteral("/manual"); }
    QString shared() const { return base + QStringLiteral("/shared"); }
    QString ignoredCommands() const { return base + QStringLiteral("/commands/ignored"); }
    QString motorName(int motor) const { return motorTopic(motor) + QStringLiteral("/name"); }
    QString motorSet(int motor) const { return motorTopic(motor) + QStringLiteral("/set"); }
    QString motorSetFilter() const { return base + QStringLiteral("/motor/+/set"); }
    // The motor of a "<base>/motor/<n>/set" topic; 0 when it is none.
    int motorOfSetTopic(const QString& topic) const;

private:
    QString motorTopic(int motor) const {
        return base + QStringLiteral("/motor/") + QString::number(motor);
    }
};

struct DiscoveryMessage {
    QString topic;
    QByteArray payload; // compact JSON, UTF-8
};

// What the discovery messages are made of.
struct DiscoveryInput {
    QString prefix; // e.g. "homeassistant"
    QString id;     // the controller id: unique ids are "korvane_<id>_<entity>"
    Topics topics;
    bool commands = false;
    ModelInfo model;
    QString modelText;
    QString firmware;
    QStringList motorNames; // motors 1 .. motorCount, as they are to be shown
};

// Home Assistant's MQTT discovery for one controller: a device, its sensors
// (those the model has), the rain, alarm, connection and manual-mode binary
// sensors and a cover per motor. Each is retained under
// "<prefix>/<component>/korvane_<id>/<entity>/config".
QList<DiscoveryMessage> discoveryMessages(const DiscoveryInput& input);

// A motor name as published: the controller pads names with blanks; an
// empty name becomes "Motor <n>".
QString shownMotorName(const QString& controllerName, int motor);

} // namespace korvane::bridge
