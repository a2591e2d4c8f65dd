#include "BenchRegistry.h"
#include "SimulatedDesktop.h"

#include "Bridge.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace bench;
using Clock = std::chrono::steady_clock;

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

bool listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

// A private mosquitto on a free port, stopped with the object.
struct Broker {
    QTemporaryDir dir;
    QProcess process;
    int port = freePort();

    bool start() {
        const QString program = QStandardPaths::findExecutable(
            QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        QFile conf(dir.filePath(QStringLiteral("mosquitto.conf")));
        if (program.isEmpty() || !conf.open(QIODevice::WriteOnly))
            return false;
        conf.write("listener " + QByteArray::number(port) +
                   " 127.0.0.1\nallow_anonymous true\npersistence false\n");
        conf.close();
        process.start(program, {QStringLiteral("-c"), conf.fileName()});
        const QDeadlineTimer deadline(5000);
        while (!listening(port) && !deadline.hasExpired())
            QThread::msleep(20);
        return listening(port);
    }
    ~Broker() {
        process.terminate();
        process.waitForFinished(3000);
    }
};

// utime + stime of a process, in seconds.
double processCpuSeconds(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields.value(11).toLongLong() + fields.value(12).toLongLong()) / ticks;
}

QByteArray statusField(qint64 pid, const QByteArray& name) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name + ':'))
            return line.mid(name.size() + 1).simplified();
    return {};
}

// The bridge program, the simulator program and a broker, each its own
// process: the bridge's own CPU time and memory while it polls and publishes.
void benchBridgeIdle(QTextStream& out) {
    const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/");
    const QString sim = bin + QStringLiteral("sim/korvane-sim");
    const QString bridge = bin + QStringLiteral("bridge/korvane-bridge");
    Broker broker;
    if (!QFileInfo::exists(sim) || !QFileInfo::exists(bridge) || !broker.start()) {
        out << "korvane-sim, korvane-bridge or mosquitto missing\n";
        return;
    }
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("tty"));
    QProcess simulator;
    simulator.start(sim, {QStringLiteral("--link"), link, QStringLiteral("--paced")});
    for (int i = 0; i < 100 && !QFileInfo::exists(link); ++i)
        QThread::msleep(20);
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    program.setStandardErrorFile(dir.filePath(QStringLiteral("bridge.log")));
    program.start(bridge,
                  {QStringLiteral("--config"), QStringLiteral("/dev/null"),
                   QStringLiteral("--port"), link, QStringLiteral("--broker"),
                   QStringLiteral("127.0.0.1:%1").arg(broker.port), QStringLiteral("--commands")});
    if (!program.waitForStarted()) {
        out << "korvane-bridge did not start\n";
        return;
    }
    spin(4000); // connect, discovery, names
    const qint64 pid = program.processId();
    const double cpu0 = processCpuSeconds(pid);
    QElapsedTimer wall;
    wall.start();
    spin(30000);
    const double cpu = processCpuSeconds(pid) - cpu0;
    const double seconds = wall.nsecsElapsed() / 1e9;
    QFile log(dir.filePath(QStringLiteral("bridge.log")));
    log.open(QIODevice::ReadOnly);
    const bool connected = log.readAll().contains("controller answers");
    out << QStringLiteral("bridge idle (%1, paced simulator, broker): %2 s CPU in %3 s = %4 % of "
                          "one core (target < 0.5 %); RSS %5, peak %6 (target < 25 MB)\n")
               .arg(connected ? QStringLiteral("connected") : QStringLiteral("NOT connected"))
               .arg(cpu, 0, 'f', 3)
               .arg(seconds, 0, 'f', 1)
               .arg(cpu / seconds * 100, 0, 'f', 3)
               .arg(QString::fromLatin1(statusField(pid, "VmRSS")),
                    QString::fromLatin1(statusField(pid, "VmHWM")));
    ::kill(pid_t(pid), SIGTERM);
    program.waitForFinished(5000);
    simulator.terminate();
    simulator.waitForFinished(3000);
}

KORVANE_BENCH("bridge idle", benchBridgeIdle);

// Records when each state message reaches a subscriber (its own thread).
struct StateSubscriber {
    QMutex mutex;
    QList<Clock::time_point> arrivals;
    mosquitto* mosq = nullptr;

    explicit StateSubscriber(int port) {
        mosquitto_lib_init();
        mosq = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(mosq, [](mosquitto* m, void*, int) {
            mosquitto_subscribe(m, nullptr, "bench/state", 0);
        });
        mosquitto_message_callback_set(mosq, [](mosquitto*, void* self, const mosquitto_message*) {
            auto* s = static_cast<StateSubscriber*>(self);
            const auto now = Clock::now();
            QMutexLocker lock(&s->mutex);
            s->arrivals << now;
        });
        mosquitto_connect(mosq, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq);
    }
    ~StateSubscriber() {
        mosquitto_disconnect(mosq);
        mosquitto_loop_stop(mosq, true);
        mosquitto_destroy(mosq);
    }
};

// From a live-values reply leaving the simulator (in this process, unpaced:
// it reaches the bridge at once) to a subscriber holding the new state. The
// simulator's clock moves a second per reading, so every poll changes the
// state; the poll runs every 50 ms instead of 900 ms to get 200 in 10 s.
void benchBridgeLatency(QTextStream& out) {
    Broker broker;
    if (!broker.start()) {
        out << "mosquitto missing\n";
        return;
    }
    korvane::Simulator sim;
    QDateTime simTime(QDate(2026, 6, 21), QTime(12, 0, 0));
    sim.controller().setClock([&] { return simTime = simTime.addSecs(1); });
    if (!sim.start()) {
        out << "simulator did not start\n";
        return;
    }
    QList<Clock::time_point> replies;
    QObject::connect(&sim.controller(), &korvane::SimController::replyReady,
                     [&](const QByteArray& f) {
                         if (f.contains("skd"))
                             replies << Clock::now();
                     });
    korvane::bridge::BridgeConfig config;
    config.brokerHost = QStringLiteral("127.0.0.1");
    config.brokerPort = broker.port;
    config.base = QStringLiteral("bench");
    config.id = QStringLiteral("bench");
    QtSerialLink link;
    korvane::bridge::Bridge bridge(config, link);
    bridge.start(sim.slavePath());
    StateSubscriber subscriber(broker.port);
    spin(3000); // connected, names, discovery
    bridge.session().setTimerIntervals(50, korvane::ControllerSession::kWatchdogIntervalMs,
                                       korvane::ControllerSession::kDcfIntervalMs);
    {
        QMutexLocker lock(&subscriber.mutex);
        subscriber.arrivals.clear();
    }
    replies.clear();
    constexpr int kPolls = 200;
    for (int i = 0; i < 400 && replies.size() < kPolls; ++i)
        spin(50);
    spin(200);
    QList<double> ms;
    QList<Clock::time_point> arrivals;
    {
        QMutexLocker lock(&subscriber.mutex);
        arrivals = subscriber.arrivals;
    }
    // Each arrival belongs to the last reply before it.
    for (const Clock::time_point& a : std::as_const(arrivals)) {
        const auto it = std::upper_bound(replies.begin(), replies.end(), a);
        if (it != replies.begin())
            ms << std::chrono::duration<double, std::milli>(a - *(it - 1)).count();
    }
    if (ms.isEmpty()) {
        out << "bridge state latency: no state arrived\n";
        return;
    }
    std::sort(ms.begin(), ms.end());
    auto at = [&](double q) {
        return ms[std::min<qsizetype>(ms.size() - 1, qsizetype(q * ms.size()))];
    };
    out << QStringLiteral(
               "bridge state latency (reply to subscriber, unpaced): p50 %1 ms, p99 %2 ms, "
               "max %3 ms over %4 of %5 polls (target p99 < 20 ms)\n")
               .arg(at(0.5), 0, 'f', 2)
               .arg(at(0.99), 0, 'f', 2)
               .arg(ms.last(), 0, 'f', 2)
               .arg(ms.size())
               .arg(replies.size());
}

KORVANE_BENCH("bridge state latency", benchBridgeLatency);

} // namespace
