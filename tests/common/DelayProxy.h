#pragma once

// A TCP proxy on a free loopback port that holds every byte for a while in
// each direction, like a slow network, and can cut the connection after a
// number of bytes from the server.
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace korvane::test {

class DelayProxy : public QObject {
public:
    DelayProxy(quint16 target, int delayMs) : m_target(target), m_delayMs(delayMs) {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, &DelayProxy::accept);
    }

    QString url() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server.serverPort()); }
    // After this many bytes from the server, both connections are reset.
    void cutAfter(qint64 bytes) { m_cutAfter = bytes; }

private:
    void accept() {
        QTcpSocket* client = m_server.nextPendingConnection();
        auto* upstream = new QTcpSocket(client);
        upstream->connectToHost(QHostAddress::LocalHost, m_target);
        const auto pass = [this, client, upstream](QTcpSocket* from, QTcpSocket* to,
                                                   bool fromServer) {
            connect(from, &QTcpSocket::readyRead, to, [=, this] {
                const QByteArray bytes = from->readAll();
                if (fromServer && m_cutAfter >= 0 && (m_fromServer += bytes.size()) > m_cutAfter) {
                    client->abort();
                    upstream->abort();
                    return;
                }
                QTimer::singleShot(m_delayMs, to, [to, bytes] { to->write(bytes); });
            });
            connect(from, &QTcpSocket::disconnected, to, [to, this] {
                QTimer::singleShot(m_delayMs, to, &QTcpSocket::disconnectFromHost);
            });
        };
        pass(client, upstream, false);
        pass(upstream, client, true);
        connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    }

    QTcpServer m_server;
    quint16 m_target;
    int m_delayMs;
    qint64 m_cutAfter = -1;
    qint64 m_fromServer = 0;
};

} // namespace korvane::test
