#include "SimLoopbackLink.h"

namespace korvane {

SimLoopbackLink::SimLoopbackLink(Responder responder, QObject* parent)
    : SerialLink(parent), m_responder(std::move(responder)) {
    m_pace.setTimerType(Qt::PreciseTimer);
    connect(&m_pace, &QTimer::timeout, this, &SimLoopbackLink::deliver);
    m_clock.start();
}

SerialError SimLoopbackLink::open(const QString& device) {
    m_device = device;
    m_open = true;
    return {};
}

void SimLoopbackLink::close() {
    m_open = false;
    m_pace.stop();
    m_queue.clear();
}

bool SimLoopbackLink::write(const QByteArray& bytes, WritePriority) {
    if (!m_open)
        return false;
    m_written += bytes;
    if (!m_responder)
        return true;
    const QList<QByteArray> replies = m_responder(bytes);
    if (m_mute)
        return true;
    for (const QByteArray& r : replies)
        enqueue(r);
    return true;
}

void SimLoopbackLink::receive(const QByteArray& bytes) {
    enqueue(bytes);
}

void SimLoopbackLink::enqueue(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    if (m_queue.isEmpty()) {
        m_burstStartNs = m_clock.nsecsElapsed();
        m_burstSent = 0;
    }
    m_queue += bytes;
    if (!m_pace.isActive())
        m_pace.start(m_rate > 0 ? 2 : 0);
}

void SimLoopbackLink::deliver() {
    qsizetype n = m_queue.size();
    if (m_rate > 0) {
        const qint64 due = (m_clock.nsecsElapsed() - m_burstStartNs) * m_rate / 1000000000LL;
        n = qMin<qsizetype>(n, qMax<qint64>(0, due - m_burstSent));
    }
    if (n > 0) {
        m_incoming += m_queue.left(n);
        m_queue.remove(0, n);
        m_burstSent += n;
        m_delivered += n;
        Q_EMIT bytesArrived(m_incoming.size());
    }
    if (m_queue.isEmpty())
        m_pace.stop();
}

} // namespace korvane
