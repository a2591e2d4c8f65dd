#include "Simulator.h"

namespace korvane {

Simulator::Simulator(const SimModel& model, QObject* parent)
    : QObject(parent), m_controller(model) {
    connect(&m_pty, &SimPty::received, &m_controller,
            [this](const QByteArray& bytes) { m_controller.feed(bytes); });
    connect(&m_controller, &SimController::replyReady, &m_pty, &SimPty::sendFrame);
    connect(&m_controller, &SimController::trace, this, &Simulator::trace);
    connect(&m_pty, &SimPty::hungUp, this, [this] {
        // A request cut short by the hang-up is gone with the line.
        m_controller.resetInput();
        Q_EMIT trace(QStringLiteral("line hung up"));
    });
    connect(&m_pty, &SimPty::replugged, this,
            [this] { Q_EMIT trace(QStringLiteral("line back on %1").arg(slavePath())); });
}

bool Simulator::start(const QString& linkPath, QString* error) {
    if (!m_pty.open(error))
        return false;
    if (!linkPath.isEmpty() && !m_pty.createLink(linkPath, error)) {
        m_pty.close();
        return false;
    }
    return true;
}

void Simulator::stop() {
    m_pty.close();
}

void Simulator::setFaults(const SimFaults& faults) {
    m_controller.setFaults(faults);
    m_pty.setFaults(faults);
}

void Simulator::setAnswering(bool answering) {
    m_pty.setAnswering(answering);
    if (!answering)
        m_controller.resetInput();
    Q_EMIT trace(answering ? QStringLiteral("line connected") : QStringLiteral("line unplugged"));
}

} // namespace korvane
