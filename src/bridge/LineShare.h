#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

namespace korvane {
class SerialLink;
}

namespace korvane::bridge {

// The serial line lent to one TCP client at a time: its bytes go to the line
// and the line's bytes to it, unchanged and unread. A second client, or one
// whose address is not allowed, is closed at once without a byte. The client
// is let go when it closes, when its connection breaks, or after a silence
// on both sides. Whoever owns the line stops using it between
// clientConnected and clientGone.
class LineShare : public QObject {
    Q_OBJECT
public:
    static constexpr int kSilenceMs = 30000;

    explicit LineShare(SerialLink& link, QObject* parent = nullptr);
    // Drops a client silently: shutDown() is the way out that says so.
    ~LineShare() override;

    // Listens; on failure returns the reason.
    QString listen(const QHostAddress& address, quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    // Addresses and prefix lengths a client must be in; empty: any.
    void setAllowed(const QList<QPair<QHostAddress, int>>& subnets) { m_allowed = subnets; }
    void setSilenceMs(int ms) { m_silence.setInterval(ms); }
    bool isShared() const { return m_client != nullptr; }
    // Closes the client (clientGone follows) and stops listening.
    void shutDown(const QString& why);

Q_SIGNALS:
    // `peer` is "address:port". The owner hands over the line before it returns.
    void clientConnected(const QString& peer);
    void clientGone(const QString& peer, const QString& why);
    // Refusals, one line each.
    void logLine(const QString& line);

private:
    void onNewConnection();
    void fromClient();
    void fromLine();
    void letGo(const QString& why);
    bool allowed(const QHostAddress& address) const;

    SerialLink& m_link;
    QTcpServer m_server;
    QTcpSocket* m_client = nullptr; // owned by m_server until let go
    QString m_peer;
    QList<QPair<QHostAddress, int>> m_allowed;
    QTimer m_silence;
};

} // namespace korvane::bridge
