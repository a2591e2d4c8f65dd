#include "FakeSerialLink.h"

namespace korvane::test {

bool FakeSerialLink::open(const QString& device, QString* error) {
    openedDevices.append(device);
    m_device = device;
    if (!openError.isEmpty()) {
        if (error)
            *error = openError;
        return false;
    }
    m_open = true;
    return true;
}

void FakeSerialLink::write(const QByteArray& bytes) {
    if (m_open)
        written += bytes;
}

QByteArray FakeSerialLink::readAll() {
    return std::exchange(m_incoming, {});
}

void FakeSerialLink::receive(const QByteArray& bytes) {
    m_incoming += bytes;
    Q_EMIT bytesArrived(m_incoming.size());
}

void FakeSerialLink::reply(const QByteArray& code, const QByteArray& payload) {
    receive("start_" + code + payload + "ende_");
}

} // namespace korvane::test
