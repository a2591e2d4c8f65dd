#include "serial/PortLink.h"

#include "serial/QtSerialLink.h"
#include "serial/TcpLink.h"

namespace korvane {

PortLink::PortLink(QObject* parent)
    : SerialLink(parent), m_serial(new QtSerialLink(this)), m_tcp(new TcpLink(this)),
      m_active(m_serial) {
    forward(m_serial);
    forward(m_tcp);
}

PortLink::~PortLink() {
    close();
}

void PortLink::forward(SerialLink* link) {
    connect(link, &SerialLink::bytesArrived, this, &SerialLink::bytesArrived);
    connect(link, &SerialLink::lineError, this, &SerialLink::lineError);
    connect(link, &SerialLink::deviceLost, this, &SerialLink::deviceLost);
    connect(link, &SerialLink::writeRefused, this, &SerialLink::writeRefused);
}

SerialLink* PortLink::linkFor(const QString& device) const {
    if (TcpLink::isNetworkPort(device))
        return m_tcp;
    return m_serial;
}

SerialError PortLink::open(const QString& device) {
    SerialLink* wanted = linkFor(device);
    if (wanted != m_active)
        m_active->close();
    m_active = wanted;
    return m_active->open(device);
}

void PortLink::close() {
    m_active->close();
}

bool PortLink::isOpen() const {
    return m_active->isOpen();
}

QString PortLink::device() const {
    return m_active->device();
}

bool PortLink::write(const QByteArray& bytes, WritePriority priority) {
    return m_active->write(bytes, priority);
}

qint64 PortLink::bytesToWrite() const {
    return m_active->bytesToWrite();
}

QByteArray PortLink::readAll() {
    return m_active->readAll();
}

} // namespace korvane
