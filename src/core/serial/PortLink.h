#pragma once

#include "serial/SerialLink.h"

namespace korvane {

class QtSerialLink;
class TcpLink;

// The link for a port text, whatever kind of port it names: a device path
// opens a serial port, "tcp://host:port" a serial server on the network. The
// session and the fronts hold one of these and never ask which it is.
class PortLink : public SerialLink {
    Q_OBJECT
public:
    explicit PortLink(QObject* parent = nullptr);
    ~PortLink() override;

    using SerialLink::open;
    SerialError open(const QString& device) override;
    void close() override;
    bool isOpen() const override;
    QString device() const override;
    using SerialLink::write;
    bool write(const QByteArray& bytes, WritePriority priority) override;
    qint64 bytesToWrite() const override;
    QByteArray readAll() override;

private:
    SerialLink* linkFor(const QString& device) const;
    void forward(SerialLink* link);

    QtSerialLink* m_serial;
    TcpLink* m_tcp;
    SerialLink* m_active;
};

} // namespace korvane
