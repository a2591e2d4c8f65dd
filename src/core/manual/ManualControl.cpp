#include "manual/ManualControl.h"

#include "session/ControllerSession.h"

namespace korvane {
namespace {

const QByteArray kManualOn = QByteArrayLiteral(" rhi\r");
const QByteArray kManualOff = QByteArrayLiteral(" rhe\r");

} // namespace

ManualControl::ManualControl(ControllerSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    connect(&session, &ControllerSession::activityStarting, this, &ManualControl::leave);
    connect(&session, &ControllerSession::portReleasing, this, &ManualControl::leave);
}

void ManualControl::enter() {
    m_session.send(kManualOn);
    const bool changed = !m_on;
    m_on = true;
    if (changed)
        Q_EMIT modeChanged(true);
}

void ManualControl::leave() {
    if (!m_on)
        return;
    m_on = false;
    m_session.send(kManualOff);
    Q_EMIT modeChanged(false);
}

void ManualControl::move(int motor, Action action) {
    m_session.send(moveMotorCommand(motor));
    m_session.send(actionCommand(action));
}

QByteArray ManualControl::leaveCommand() {
    return kManualOff;
}

QByteArray ManualControl::moveMotorCommand(int motor) {
    return " rhb" + QByteArray::number(motor) + '\r';
}

QByteArray ManualControl::actionCommand(Action action) {
    static const char* const kWords[] = {"up", "off", "down"};
    return QByteArray(kWords[action]) + "\r694\r + sti\r";
}

} // namespace korvane
