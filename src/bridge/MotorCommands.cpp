#include "MotorCommands.h"

#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

namespace korvane::bridge {
namespace {

const char* actionWord(ManualControl::Action a) {
    switch (a) {
    case ManualControl::Up:
        return "OPEN";
    case ManualControl::Down:
        return "CLOSE";
    case ManualControl::Stop:
        break;
    }
    return "STOP";
}

} // namespace

MotorCommands::MotorCommands(ControllerSession& session, ManualControl& manual, QObject* parent)
    : QObject(parent), m_session(session), m_manual(manual) {
    m_lineTimer.setSingleShot(true);
    connect(&m_lineTimer, &QTimer::timeout, this, &MotorCommands::sendNext);
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(60000);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        if (m_pending.isEmpty())
            leaveNow(QStringLiteral("hold time over"));
        else
            m_holdTimer.start(); // the last command has not gone out yet
    });
}

std::optional<ManualControl::Action> MotorCommands::parsePayload(const QByteArray& payload) {
    const QByteArray word = payload.trimmed().toUpper();
    if (word == "OPEN")
        return ManualControl::Up;
    if (word == "CLOSE")
        return ManualControl::Down;
    if (word == "STOP")
        return ManualControl::Stop;
    return std::nullopt;
}

void MotorCommands::ignore(const QString& why) {
    ++m_ignored;
    Q_EMIT ignored(m_ignored);
    // A flood of bad commands must not flood the journal.
    if (!m_logWindow.isValid() || m_logWindow.elapsed() > kLogWindowMs) {
        m_logWindow.start();
        m_loggedInWindow = 0;
    }
    if (m_loggedInWindow >= kLogBurst) {
        ++m_unlogged;
        return;
    }
    ++m_loggedInWindow;
    const QString unlogged =
        m_unlogged > 0 ? QStringLiteral(" (and %1 more not logged)").arg(m_unlogged) : QString();
    m_unlogged = 0;
    Q_EMIT logLine(
        QStringLiteral("command ignored (%1 so far): %2%3").arg(m_ignored).arg(why, unlogged));
}

void MotorCommands::handle(int motor, const QByteArray& payload) {
    const QString shown = QString::fromUtf8(payload.left(40)).simplified();
    if (!m_enabled)
        return ignore(QStringLiteral("commands are off (motor %1, \"%2\")").arg(motor).arg(shown));
    const auto action = parsePayload(payload);
    if (!action)
        return ignore(
            QStringLiteral("motor %1: \"%2\" is not OPEN, CLOSE or STOP").arg(motor).arg(shown));
    const int motors = m_session.model().motorCount;
    if (motor < 1 || motor > motors)
        return ignore(QStringLiteral("motor %1 does not exist (the controller has %2)")
                          .arg(motor)
                          .arg(motors));
    if (m_lineLent)
        return ignore(QStringLiteral("motor %1 %2: the line is lent to a share client")
                          .arg(motor)
                          .arg(QLatin1String(actionWord(*action))));
    if (!m_session.isConnected())
        return ignore(QStringLiteral("motor %1 %2: the controller does not answer")
                          .arg(motor)
                          .arg(QLatin1String(actionWord(*action))));

    m_holdTimer.start();
    for (Pending& p : m_pending) {
        if (p.motor == motor) {
            p.action = *action;
            ++m_replaced;
            return;
        }
    }
    m_pending.append({motor, *action});
    if (!m_lineTimer.isActive())
        sendNext();
}

void MotorCommands::pause(qsizetype bytes) {
    // The time the bytes take on the line, and a little more for the polls.
    m_lineTimer.start(int(bytes * 1000 / kLineBytesPerSecond) + 10);
}

void MotorCommands::sendNext() {
    if (m_pending.isEmpty())
        return;
    if (!m_manual.isOn()) {
        m_manual.enter();
        Q_EMIT logLine(QStringLiteral("manual mode on: the automatics rest for %1 s after the "
                                      "last command")
                           .arg(m_holdTimer.interval() / 1000));
        pause(5);
        return;
    }
    const Pending p = m_pending.takeFirst();
    m_manual.move(p.motor, p.action);
    const QString replaced = m_replaced > 0
                                 ? QStringLiteral(" (%1 earlier commands replaced)").arg(m_replaced)
                                 : QString();
    m_replaced = 0;
    Q_EMIT logLine(QStringLiteral("command: motor %1 %2%3")
                       .arg(p.motor)
                       .arg(QLatin1String(actionWord(p.action)), replaced));
    pause(ManualControl::moveMotorCommand(p.motor).size() +
          ManualControl::actionCommand(p.action).size());
}

void MotorCommands::leaveNow(const QString& why) {
    m_pending.clear();
    m_replaced = 0;
    m_lineTimer.stop();
    m_holdTimer.stop();
    if (!m_manual.isOn())
        return;
    m_leaveOnClosedLink = !m_session.link().isOpen();
    m_manual.leave();
    m_leaveUnheard = true;
    m_answersSinceLeave = 0;
    Q_EMIT logLine(QStringLiteral("manual mode off (%1)").arg(why));
}

void MotorCommands::pollAnswered() {
    // Written while the adapter was gone, the " rhe" never left: the
    // controller answering on the reopened port gets it now.
    if (m_leaveUnheard && m_leaveOnClosedLink)
        return controllerBack();
    if (m_leaveUnheard && ++m_answersSinceLeave >= 2)
        m_leaveUnheard = false;
}

void MotorCommands::controllerBack() {
    if (!m_leaveUnheard || m_manual.isOn())
        return;
    m_answersSinceLeave = 0;
    m_leaveOnClosedLink = !m_session.link().isOpen();
    m_session.send(ManualControl::leaveCommand());
    Q_EMIT logLine(QStringLiteral("manual mode off sent again: the controller answers again"));
}

} // namespace korvane::bridge
