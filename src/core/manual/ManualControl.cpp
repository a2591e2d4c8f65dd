#include "manual/ManualControl.h"

#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

namespace korvane {
namespace {

const QByteArray kManualOn = QByteArrayLiteral(" rhi\r");
const QByteArray kManualOff = QByteArrayLiteral(" rhe\r");
// How often a queued " rhe" is looked after; five bytes take 5 ms at 9600 baud.
constexpr int kDrainCheckMs = 20;

} // namespace

ManualControl::ManualControl(ControllerSession& session, QObject* parent)
    : QObject(parent), m_session(session) {
    m_drainCheck.setInterval(kDrainCheckMs);
    connect(&m_drainCheck, &QTimer::timeout, this, &ManualControl::checkOffWritten);
    connect(&session, &ControllerSession::activityStarting, this, &ManualControl::leave);
    connect(&session, &ControllerSession::portReleasing, this, &ManualControl::leave);
    connect(&session, &ControllerSession::portLost, this, &ManualControl::onPortLost);
    // Connected before anything else can write to the reopened port.
    connect(&session, &ControllerSession::portOpened, this, [this] {
        if (m_leaving)
            writeOff();
    });
}

void ManualControl::enter() {
    if (!m_session.send(kManualOn))
        return;
    m_leaving = false;
    m_drainCheck.stop();
    setOn(true);
}

void ManualControl::leave() {
    if (!m_on || m_leaving)
        return;
    m_leaving = true;
    writeOff();
}

void ManualControl::writeOff() {
    // Not written: owed until the port is open again.
    if (!m_session.sendSafetyCommand(kManualOff))
        return;
    checkOffWritten();
    if (m_leaving)
        m_drainCheck.start();
}

void ManualControl::checkOffWritten() {
    if (m_session.link().bytesToWrite() > 0)
        return;
    m_drainCheck.stop();
    m_leaving = false;
    setOn(false);
}

void ManualControl::onPortLost() {
    // The loss dropped whatever was queued, a " rhe" too; and a lost port is
    // a way out of manual mode like any other.
    m_drainCheck.stop();
    if (m_on)
        m_leaving = true;
}

void ManualControl::setOn(bool on) {
    if (m_on == on)
        return;
    m_on = on;
    Q_EMIT manualChanged(on);
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
