#include "LineShare.h"

#include "serial/SerialLink.h"

#include <QTcpSocket>

namespace korvane::bridge {
namespace {

// An IPv4 client of a dual-stack listener arrives as ::ffff:a.b.c.d.
QHostAddress plainAddress(const QHostAddress& a) {
    bool isV4 = false;
    const quint32 v4 = a.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : a;
}

QString peerText(const QTcpSocket& s) {
    const QHostAddress a = plainAddress(s.peerAddress());
    const QString host =
        a.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + a.toString() + u']' : a.toString();
    return host + u':' + QString::number(s.peerPort());
}

} // namespace

LineShare::LineShare(SerialLink& link, QObject* parent) : QObject(parent), m_link(link) {
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        letGo(QStringLiteral("%1 s of silence").arg(m_silence.interval() / 1000.0));
    });
    connect(&m_server, &QTcpServer::newConnection, this, &LineShare::onNewConnection);
    connect(&m_link, &SerialLink::bytesArrived, this, &LineShare::fromLine);
}

LineShare::~LineShare() {
    if (m_client)
        m_client->disconnect(this);
}

QString LineShare::listen(const QHostAddress& address, quint16 port) {
    if (m_server.listen(address, port))
        return {};
    return m_server.errorString();
}

bool LineShare::allowed(const QHostAddress& address) const {
    if (m_allowed.isEmpty())
        return true;
    const QHostAddress a = plainAddress(address);
    for (const auto& subnet : m_allowed)
        if (a.isInSubnet(subnet))
            return true;
    return false;
}

void LineShare::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const QString peer = peerText(*socket);
        QString refusal;
        if (!allowed(socket->peerAddress()))
            refusal = QStringLiteral("its address is not allowed");
        else if (m_client)
            refusal = QStringLiteral("the line is lent to %1").arg(m_peer);
        if (!refusal.isEmpty()) {
            Q_EMIT logLine(QStringLiteral("share: client %1 refused: %2").arg(peer, refusal));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        m_peer = peer;
        connect(socket, &QTcpSocket::readyRead, this, &LineShare::fromClient);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket != m_client)
                return;
            const auto e = socket->error();
            letGo(e == QAbstractSocket::RemoteHostClosedError ||
                          e == QAbstractSocket::UnknownSocketError
                      ? QStringLiteral("closed by the client")
                      : socket->errorString());
        });
        // A connection that fails without an orderly close.
        connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
            if (socket == m_client && socket->state() != QAbstractSocket::ConnectedState &&
                socket->error() != QAbstractSocket::RemoteHostClosedError)
                letGo(socket->errorString());
        });
        m_silence.start();
        Q_EMIT clientConnected(peer);
        // Bytes that came with the connection.
        fromClient();
    }
}

void LineShare::fromClient() {
    if (!m_client)
        return;
    const QByteArray bytes = m_client->readAll();
    if (bytes.isEmpty())
        return;
    m_silence.start();
    m_link.write(bytes);
}

void LineShare::fromLine() {
    if (!m_client)
        return;
    const QByteArray bytes = m_link.readAll();
    if (bytes.isEmpty())
        return;
    m_silence.start();
    m_client->write(bytes);
}

void LineShare::letGo(const QString& why) {
    if (!m_client)
        return;
    QTcpSocket* socket = m_client;
    m_client = nullptr;
    m_silence.stop();
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    Q_EMIT clientGone(m_peer, why);
}

void LineShare::shutDown(const QString& why) {
    m_server.close();
    letGo(why);
}

} // namespace korvane::bridge
