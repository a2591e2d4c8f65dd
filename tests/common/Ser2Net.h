#pragma once

// Free loopback ports and waiting for a listener, shared by the tests of
// network servers; and a real ser2net in raw mode on a free loopback port in
// front of a (pseudo-)terminal, with a temporary configuration, stopped with
// the object.
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

namespace korvane::test {

// A loopback port nobody listens on right now.
inline quint16 freeTcpPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost))
        return 0;
    return probe.serverPort();
}

// Whether something accepts connections on the port within `ms`.
inline bool waitForListener(quint16 port, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    return false;
}

class Ser2Net {
public:
    explicit Ser2Net(const QString& device) : m_device(device), m_port(freeTcpPort()) {}
    ~Ser2Net() { stop(); }

    quint16 port() const { return m_port; }
    QString url() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_port); }

    bool start() {
        const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
        QFile file(config);
        if (!m_dir.isValid() || !file.open(QIODevice::WriteOnly))
            return false;
        file.write(QStringLiteral("connection: &korvane\n"
                                  "  accepter: tcp,127.0.0.1,%1\n"
                                  "  connector: serialdev,%2,9600n81,local\n"
                                  "  options:\n"
                                  "    kickolduser: false\n")
                       .arg(m_port)
                       .arg(m_device)
                       .toUtf8());
        file.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral("ser2net"), {"-n", "-u", "-c", config});
        return m_process.waitForStarted(5000) && waitForListener(m_port);
    }
    void stop() {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

private:
    QTemporaryDir m_dir;
    QString m_device;
    quint16 m_port;
    QProcess m_process;
};

} // namespace korvane::test
