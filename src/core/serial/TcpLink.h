#pragma once

#include "serial/SerialLink.h"

#include <optional>

class QTcpSocket;

namespace korvane {

// The controller's line through a serial server on the network
// ("tcp://host:port"): raw bytes both ways, as ser2net's raw mode and the
// common serial-to-network adapters carry them. The line settings (9600 8N1,
// XON/XOFF) are the server's.
//
// The first open waits for the connection (at most kConnectTimeoutMs) so that
// a refused connection or an unknown host is reported like a missing device.
// After the connection was lost by itself, the next open of the same address
// connects in the background: a server that is away then costs no wait, and
// a failed attempt is reported as another loss.
class TcpLink : public SerialLink {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 3000;
    // Bytes that may wait for the network before further writes are refused.
    static constexpr qint64 kWriteQueueLimit = 24096;

    struct Address {
        QString host;
        quint16 port = 0;
    };
    // "tcp://host:port" (an IPv6 host in brackets); nullopt for anything else.
    static std::optional<Address> parse(const QString& device);
    // Whether `device` names a network port at all (well-formed or not).
    static bool isNetworkPort(const QString& device);

    explicit TcpLink(QObject* parent = nullptr);
    ~TcpLink() override;

    using SerialLink::open;
    SerialError open(const QString& device) override;
    void close() override;
    bool isOpen() const override;
    QString device() const override { return m_device; }
    using SerialLink::write;
    bool write(const QByteArray& bytes, WritePriority priority) override;
    qint64 bytesToWrite() const override;
    QByteArray readAll() override;

private:
    void onConnected();
    void onSocketError();
    void enableKeepAlive();
    void dropSocket();

    QTcpSocket* m_socket;
    QString m_device;
    QByteArray m_unsent;    // written while the connection is still being made
    bool m_active = false;  // open() succeeded (or is connecting) and no close() since
    bool m_lost = false;    // the last connection ended without a close()
    bool m_closing = false; // inside close(): socket errors are expected
    bool m_overflowReported = false;
};

} // namespace korvane
