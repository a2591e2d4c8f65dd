#include "BenchRegistry.h"

#include "Simulator.h"
#include "serial/PortLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <memory>

namespace {

using namespace korvane;

// The program's link, counting what it writes.
class CountingLink : public PortLink {
public:
    using PortLink::write;
    bool write(const QByteArray& bytes, WritePriority priority) override {
        written += bytes.size();
        return PortLink::write(bytes, priority);
    }
    qint64 written = 0;
};

// ser2net in raw mode on a free loopback port in front of `device`, with a
// temporary configuration; stopped with the object.
class SerialServer {
public:
    explicit SerialServer(const QString& device) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        QFile config(m_dir.filePath(QStringLiteral("ser2net.yaml")));
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("connection: &bench\n  accepter: tcp,127.0.0.1,%1\n"
                                    "  connector: serialdev,%2,9600n81,local\n")
                         .arg(m_port)
                         .arg(device)
                         .toUtf8());
        config.close();
        m_process.start(QStringLiteral("ser2net"), {"-n", "-u", "-c", config.fileName()});
    }
    ~SerialServer() {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }
    // Whether it accepts connections within a few seconds.
    bool ready() {
        for (int i = 0; i < 50 && m_process.state() != QProcess::NotRunning; ++i) {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            if (probe.waitForConnected(100))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    QString url() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_port); }

private:
    QTemporaryDir m_dir;
    quint16 m_port = 0;
    QProcess m_process;
};

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QElapsedTimer t;
    t.start();
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    check.start(1);
    if (!done())
        loop.exec();
    return done();
}

// Read-all and send-all against the simulator, on its pseudo-terminal or, with
// `network`, through ser2net as tcp://.
void runTransfers(QTextStream& out, bool paced, bool network = false) {
    Simulator sim(SimModel(SimModel::Variant::Conservatory, 8, 8));
    QString error;
    if (!sim.start(QString(), &error)) {
        bench::fail(out, QStringLiteral("simulator: ") + error);
        return;
    }
    sim.setPaced(paced);
    std::unique_ptr<SerialServer> server;
    QString device = sim.slavePath();
    if (network) {
        server = std::make_unique<SerialServer>(device);
        if (!server->ready()) {
            bench::fail(out, QStringLiteral("ser2net did not start"));
            return;
        }
        device = server->url();
    }
    CountingLink link;
    ControllerSession session(&link);
    ParameterSet params;
    ParameterTransfer transfer(session, params);
    session.openDevice(device);
    bool connected = false;
    QObject::connect(&session, &ControllerSession::pollState,
                     [&](bool c) { connected = connected || c; });
    session.pollTick();
    if (!waitFor([&] { return connected; }, 10000)) {
        bench::fail(out, QStringLiteral("no connection to the simulator"));
        return;
    }
    // Let the poll replies drain so they do not count as transfer bytes.
    waitFor([] { return false; }, paced ? 300 : 50);

    qint64 received = 0;
    QObject::connect(&link, &SerialLink::bytesArrived, [&](qsizetype n) { received += n; });
    const double lineRate = ParameterTransfer::kLineBytesPerSecond;
    const char* mode = paced ? (network ? "tcp:// paced 960 B/s" : "paced 960 B/s")
                             : (network ? "tcp:// unpaced" : "unpaced");

    auto measure = [&](const char* name, auto start, auto finishedSignal, double perStepDelay,
                       int steps) {
        bool finished = false, ok = false;
        auto c = QObject::connect(&transfer, finishedSignal, [&](bool success) {
            finished = true;
            ok = success;
        });
        received = 0;
        link.written = 0;
        QElapsedTimer t;
        t.start();
        (transfer.*start)();
        waitFor([&] { return finished; }, 300000);
        const double seconds = t.nsecsElapsed() / 1e9;
        QObject::disconnect(c);
        const double wire = double(received + link.written) / lineRate;
        const double expected = wire + perStepDelay * steps;
        out << QStringLiteral("%1 %2: %3, %4 bytes out, %5 bytes in, wire time %6 s")
                   .arg(QLatin1String(name), QLatin1String(mode),
                        ok ? QStringLiteral("ok") : QStringLiteral("FAILED"))
                   .arg(link.written)
                   .arg(received)
                   .arg(wire, 0, 'f', 2);
        if (steps > 0)
            out << QStringLiteral(" + %1 acknowledgement delays of %2 ms")
                       .arg(steps)
                       .arg(perStepDelay * 1000, 0, 'f', 0);
        out << QStringLiteral(", measured %1 s").arg(seconds, 0, 'f', 3);
        if (paced)
            out << QStringLiteral(" (%1 % over)").arg((seconds / expected - 1) * 100, 0, 'f', 1);
        out << '\n';
        if (!ok)
            bench::fail(out, QStringLiteral("%1 %2").arg(QLatin1String(name), QLatin1String(mode)));
        out.flush();
    };

    measure("read-all", &ParameterTransfer::startReadAll, &ParameterTransfer::readAllFinished, 0,
            0);
    applyChangedEvent(params, ChangedEvent::Startup); // send everything
    const int before = sim.controller().stepsAcknowledged();
    // One step per acknowledgement; the controller answers after its quiet time.
    measure("send-all", &ParameterTransfer::startSendAll, &ParameterTransfer::sendAllFinished,
            sim.controller().ackQuietMs() / 1000.0, 25);
    out << QStringLiteral("  (simulator acknowledged %1 steps)\n")
               .arg(sim.controller().stepsAcknowledged() - before);
}

KORVANE_BENCH("transfer unpaced", [](QTextStream& out) { runTransfers(out, false); });
KORVANE_BENCH("transfer paced", [](QTextStream& out) { runTransfers(out, true); });
KORVANE_BENCH("transfer tcp unpaced", [](QTextStream& out) { runTransfers(out, false, true); });
KORVANE_BENCH("transfer tcp paced", [](QTextStream& out) { runTransfers(out, true, true); });

} // namespace
