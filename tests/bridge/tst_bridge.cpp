// korvane-bridge against a real mosquitto broker and the simulated
// controller: discovery, state, connection, commands and their safety, the
// program's signals, last will and login refusal, and its configuration.

#include "Bridge.h"
#include "BridgeConfig.h"
#include "Simulator.h"
#include "helpers/MqttRig.h"

#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"
#include "text/Cp1252.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <csignal>

using namespace korvane;
using namespace korvane::bridge;
using namespace korvane::test;

namespace {

constexpr int kWait = 15000;
const QByteArray kPoll = "sfi\rsdt\rsti\rskd\rsmo\r";
// Quotes, an umlaut, a backslash and a control byte.
const QString kOddName = QStringLiteral("K\u00FC\"ch\te\\ 1");

QJsonObject jsonObject(const QByteArray& payload) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    return error.error == QJsonParseError::NoError && doc.isObject() ? doc.object() : QJsonObject();
}

// The simulated controller on a pseudo-terminal at a fixed time (so that its
// weather stands still), everything the program writes to it recorded.
struct ControllerRig {
    ControllerRig() {
        sim.controller().setClock([] { return QDateTime(QDate(2026, 6, 21), QTime(12, 0, 0)); });
        QString why;
        sim.controller().parameters().applyName({"1", toCp1252(kOddName), toCp1252(kOddName)},
                                                &why);
        QObject::connect(&sim.pty(), &SimPty::received, [this](const QByteArray& b) { line += b; });
    }
    // What the program wrote besides its polls and name requests.
    QByteArray commands() const { return QByteArray(line).replace(kPoll, "").replace("smn", ""); }

    Simulator sim;
    QByteArray line;
};

BridgeConfig configFor(int brokerPort, const QString& base, bool commands) {
    BridgeConfig c;
    c.brokerHost = QStringLiteral("127.0.0.1");
    c.brokerPort = brokerPort;
    c.base = base;
    c.id = QStringLiteral("t1");
    c.discoveryPrefix = QStringLiteral("ha");
    c.commands = commands;
    c.manualHoldSeconds = 2; // below the flags' minimum, to keep the test short
    return c;
}

// A client of the bridge's share: plain TCP from `from`, every byte kept.
struct ShareClient {
    ShareClient(quint16 port, const char* from = "127.0.0.1") {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        socket.bind(QHostAddress(QString::fromLatin1(from)));
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool closedByBridge() {
        return QTest::qWaitFor(
            [this] { return socket.state() == QAbstractSocket::UnconnectedState; }, kWait);
    }
    QTcpSocket socket;
    QByteArray received;
};

QString bridgeProgram() {
    return QStringLiteral(KORVANE_BRIDGE_PROGRAM);
}

} // namespace

class TestBridge : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void publishesDiscoveryStateAndConnection();
    void commandsKeepTheLineAndManualModeSafe();
    void shareLendsTheLineToOneClient();
    void programStopsCleanlyDiesWithWillAndRefusesBadLogins();
    void configuration_data();
    void configuration();
};

void TestBridge::publishesDiscoveryStateAndConnection() {
    TestBroker broker;
    QVERIFY2(broker.start(), "mosquitto does not start (scripts/install-deps.sh installs it)");
    MqttProbe probe(broker.port());
    ControllerRig rig;
    QVERIFY(rig.sim.start());
    QtSerialLink link;
    auto bridge =
        std::make_unique<Bridge>(configFor(broker.port(), QStringLiteral("t/k"), false), link);
    bridge->start(rig.sim.slavePath());

    // Component, entity, device class, unit; a cover per motor follows.
    struct Entity {
        const char *component, *entity, *deviceClass, *unit;
    };
    const QList<Entity> entities = {
        {"sensor", "brightness", "illuminance", "lx"},
        {"sensor", "brightness_mean", "illuminance", "lx"},
        {"sensor", "wind", "wind_speed", "km/h"},
        {"sensor", "wind_max", "wind_speed", "km/h"},
        {"sensor", "inside_temperature", "temperature", "\u00B0C"},
        {"sensor", "outside_temperature", "temperature", "\u00B0C"},
        {"sensor", "humidity", "humidity", "%"},
        {"binary_sensor", "rain", "moisture", nullptr},
        {"binary_sensor", "alarm", "safety", nullptr},
        {"binary_sensor", "connection", "connectivity", nullptr},
        {"binary_sensor", "manual", nullptr, nullptr},
    };
    QTRY_COMPARE_WITH_TIMEOUT(probe.latestUnder(QStringLiteral("ha/")).size(), entities.size() + 8,
                              kWait);
    const QHash<QString, QByteArray> discovery = probe.latestUnder(QStringLiteral("ha/"));
    QStringList uniqueIds;
    auto check = [&](const QString& component, const QString& entity) -> QJsonObject {
        const QByteArray payload =
            discovery.value(QStringLiteral("ha/%1/korvane_t1/%2/config").arg(component, entity));
        const QJsonObject o = jsonObject(payload);
        [&] {
            QVERIFY2(!o.isEmpty(), payload.constData());
            QCOMPARE(o[u"unique_id"].toString(), QStringLiteral("korvane_t1_") + entity);
            QVERIFY(!o[u"name"].toString().isEmpty());
            QCOMPARE(o[u"device"][u"identifiers"][0].toString(), QStringLiteral("korvane_t1"));
            QCOMPARE(o[u"device"][u"model"].toString(), rig.sim.controller().model().text());
            QCOMPARE(o[u"device"][u"sw_version"].toString(), rig.sim.controller().versionText());
            QCOMPARE(o[u"availability_mode"].toString(), QStringLiteral("all"));
            // The controller's entities need the bridge and the controller.
            const bool bridgeOnly = entity == u"connection" || entity == u"manual";
            QCOMPARE(o[u"availability"].toArray().size(), bridgeOnly ? 1 : 2);
            QCOMPARE(o[u"availability"][0][u"topic"].toString(),
                     QStringLiteral("t/k/availability"));
        }();
        uniqueIds << o[u"unique_id"].toString();
        return o;
    };
    QTRY_VERIFY_WITH_TIMEOUT(!probe.last(QStringLiteral("t/k/state")).isEmpty(), kWait);
    const QJsonObject state = jsonObject(probe.last(QStringLiteral("t/k/state")));
    for (const Entity& e : entities) {
        const QJsonObject o = check(QLatin1String(e.component), QLatin1String(e.entity));
        QCOMPARE(o[u"device_class"].toString(), QLatin1String(e.deviceClass));
        QCOMPARE(o[u"unit_of_measurement"].toString(),
                 e.unit ? QString::fromUtf8(e.unit) : QString());
        // Every template reads a key that the state carries.
        const auto key = QRegularExpression(QStringLiteral("value_json\\.(\\w+)"))
                             .match(o[u"value_template"].toString())
                             .captured(1);
        QVERIFY2(key.isEmpty() || state.contains(key), qPrintable(key));
    }
    for (int m = 1; m <= 8; ++m) {
        const QJsonObject cover = check(QStringLiteral("cover"), QStringLiteral("motor_%1").arg(m));
        QCOMPARE(cover[u"name"].toString(), m == 1 ? kOddName : QStringLiteral("Motor %1").arg(m));
        QVERIFY(!cover.contains(u"command_topic")); // commands are off
    }
    QCOMPARE(QSet<QString>(uniqueIds.begin(), uniqueIds.end()).size(), uniqueIds.size());
    QCOMPARE(QString::fromUtf8(probe.last(QStringLiteral("t/k/motor/1/name"))), kOddName);

    // The state is the simulated controller's live values, as the status bar shows them.
    const SimWeather::Values v = rig.sim.controller().weather().values();
    auto degrees = [](int whole, int tenths) {
        return whole + (whole < 0 ? -tenths : tenths) / 10.0;
    };
    QCOMPARE(state[u"brightness"].toInt(), v[SimWeather::Brightness]);
    QCOMPARE(state[u"brightnessMean"].toInt(), v[SimWeather::BrightnessMean]);
    QCOMPARE(state[u"insideTemperature"].toDouble(),
             degrees(v[SimWeather::InsideWhole], v[SimWeather::InsideTenths]));
    QCOMPARE(state[u"outsideTemperature"].toDouble(),
             degrees(v[SimWeather::OutsideWhole], v[SimWeather::OutsideTenths]));
    QCOMPARE(state[u"windKmh"].toInt(), v[SimWeather::Wind]);
    QCOMPARE(state[u"windMaxKmh"].toInt(), v[SimWeather::WindMax]);
    QCOMPARE(state[u"humidityPercent"].toInt(), v[SimWeather::Humidity]);
    QCOMPARE(state[u"rain"].toBool(), v[SimWeather::Rain] != 0);
    QCOMPARE(state[u"alarm"].toBool(), v[SimWeather::Alarm] != 0);
    QCOMPARE(state[u"date"].toString(), QStringLiteral("21.06.26"));
    QCOMPARE(state[u"time"].toString(), QStringLiteral("12:00:00"));
    QCOMPARE(state[u"model"].toString(), rig.sim.controller().model().text());
    QCOMPARE(state[u"version"].toString(), rig.sim.controller().versionText());
    QCOMPARE(probe.last(QStringLiteral("t/k/availability")), QByteArray("online"));

    // Commands are off: ignored, counted, and not a byte on the line.
    probe.publish(QStringLiteral("t/k/motor/3/set"), "CLOSE");
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/k/commands/ignored")), QByteArray("1"),
                              kWait);
    QCOMPARE(rig.commands(), QByteArray());
    QVERIFY(!rig.sim.controller().manualMode());

    // Unplugged: "connected" false, as the desktop would show "Keine Verbindung"; and back.
    rig.sim.setAnswering(false);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/k/connected")), QByteArray("false"),
                              kWait);
    rig.sim.setAnswering(true);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/k/connected")), QByteArray("true"),
                              kWait);

    // A restart publishes the very same discovery: the unique ids are stable.
    bridge.reset();
    probe.clear();
    bridge = std::make_unique<Bridge>(configFor(broker.port(), QStringLiteral("t/k"), false), link);
    bridge->start(rig.sim.slavePath());
    QTRY_COMPARE_WITH_TIMEOUT(probe.latestUnder(QStringLiteral("ha/")).size(), discovery.size(),
                              kWait);
    QCOMPARE(probe.latestUnder(QStringLiteral("ha/")), discovery);
}

void TestBridge::commandsKeepTheLineAndManualModeSafe() {
    TestBroker broker;
    QVERIFY(broker.start());
    MqttProbe probe(broker.port());
    ControllerRig rig;
    QVERIFY(rig.sim.start());
    QtSerialLink link;
    Bridge bridge(configFor(broker.port(), QStringLiteral("t/c"), true), link);
    bridge.mqtt().setRetryDelays(200, 400);
    bridge.start(rig.sim.slavePath());
    const QString cover3 = QStringLiteral("ha/cover/korvane_t1/motor_3/config");
    QTRY_VERIFY_WITH_TIMEOUT(!probe.last(cover3).isEmpty(), kWait);
    QCOMPARE(jsonObject(probe.last(cover3))[u"command_topic"].toString(),
             QStringLiteral("t/c/motor/3/set"));

    // Bad payloads and motors the model lacks: ignored, counted, no byte.
    const QList<std::pair<QString, QByteArray>> bad = {
        {QStringLiteral("3"), "UP"},       {QStringLiteral("3"), ""},
        {QStringLiteral("3"), "OPEN\x01"}, {QStringLiteral("9"), "OPEN"},
        {QStringLiteral("0"), "CLOSE"},    {QStringLiteral("x"), "STOP"},
    };
    for (const auto& [motor, payload] : bad)
        probe.publish(QStringLiteral("t/c/motor/%1/set").arg(motor), payload);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/c/commands/ignored")),
                              QByteArray::number(bad.size()), kWait);
    QCOMPARE(rig.commands(), QByteArray());

    // A flood: manual mode once, the latest command per motor, never a queue;
    // manual mode left after the hold.
    for (int i = 0; i < 300; ++i)
        probe.publish(QStringLiteral("t/c/motor/3/set"), "CLOSE");
    probe.publish(QStringLiteral("t/c/motor/5/set"), "STOP");
    probe.publish(QStringLiteral("t/c/motor/3/set"), "OPEN");
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/c/manual")), QByteArray("true"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/c/manual")), QByteArray("false"), kWait);
    const QByteArray sent = rig.commands();
    static const QRegularExpression shape(
        QStringLiteral("^ rhi\\r( rhb[35]\\r(up|off|down)\\r694\\r \\+ sti\\r)+ rhe\\r$"));
    QVERIFY2(shape.match(QString::fromLatin1(sent)).hasMatch(), sent.constData());
    QVERIFY2(sent.count(" rhb") <= 12, sent.constData());
    QVERIFY(sent.contains(" rhb5\roff\r694\r + sti\r"));
    QVERIFY(sent.lastIndexOf(" rhb3\rup\r") > sent.lastIndexOf(" rhb3\rdown\r"));
    QVERIFY(!rig.sim.controller().manualMode());

    // Cable pulled while manual mode is on: the " rhe" of the hold goes
    // nowhere, so it goes again once the controller answers.
    rig.line.clear();
    probe.publish(QStringLiteral("t/c/motor/2/set"), "CLOSE");
    QTRY_VERIFY_WITH_TIMEOUT(rig.commands().contains(" rhb2"), kWait);
    rig.sim.setAnswering(false);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/c/connected")), QByteArray("false"),
                              kWait);
    probe.publish(QStringLiteral("t/c/motor/2/set"), "OPEN"); // not connected: ignored
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/c/commands/ignored")),
                              QByteArray::number(bad.size() + 1), kWait);
    rig.sim.setAnswering(true);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.sim.controller().manualMode(), kWait);
    QVERIFY2(rig.commands().startsWith(" rhi\r rhb2\rdown\r694\r + sti\r rhe\r"),
             rig.commands().constData());

    // The broker goes away: manual mode is left at once; after its restart
    // the bridge is back and publishes discovery again.
    probe.publish(QStringLiteral("t/c/motor/4/set"), "CLOSE");
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.controller().manualMode(), kWait);
    QSignalSpy log(&bridge.commands(), &MotorCommands::logLine);
    QSignalSpy retries(&bridge.mqtt(), &MqttClient::disconnected);
    broker.stop();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.sim.controller().manualMode(), kWait);
    QStringList lines;
    for (const QList<QVariant>& args : std::as_const(log))
        lines << args.value(0).toString();
    QVERIFY2(lines.contains(QStringLiteral("manual mode off (broker connection lost)")),
             qPrintable(lines.join(u'\n')));
    probe.clear();
    QVERIFY(broker.start());
    QTRY_VERIFY_WITH_TIMEOUT(!probe.last(cover3).isEmpty(), kWait);
    QCOMPARE(probe.last(QStringLiteral("t/c/availability")), QByteArray("online"));
    // Back-off: the first delay, then doubled up to the largest.
    QVERIFY(!retries.isEmpty());
    for (int i = 0; i < retries.size(); ++i)
        QCOMPARE(retries[i][1].toInt(),
                 i == 0 ? 200 : std::min(2 * retries[i - 1][1].toInt(), 400));
}

void TestBridge::shareLendsTheLineToOneClient() {
    TestBroker broker;
    QVERIFY(broker.start());
    MqttProbe probe(broker.port());
    ControllerRig rig;
    QVERIFY(rig.sim.start());
    QtSerialLink link;
    BridgeConfig config = configFor(broker.port(), QStringLiteral("t/s"), true);
    config.sharePort = quint16(freeTcpPort());
    config.shareAllow = {{QHostAddress(QStringLiteral("127.0.0.1")), 32}};
    config.manualHoldSeconds = 60; // only the share ends manual mode here
    Bridge bridge(config, link);
    bridge.session().setTimerIntervals(150, 600, 100);
    QVERIFY(bridge.share());
    QSignalSpy refusals(bridge.share(), &LineShare::logLine);
    QVERIFY(bridge.start(rig.sim.slavePath()).isEmpty());
    const QString shared = QStringLiteral("t/s/shared");
    const QString connected = QStringLiteral("t/s/connected");
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(connected), QByteArray("true"), kWait);
    QCOMPARE(probe.last(shared), QByteArray("false"));
    const QByteArray model = toCp1252(rig.sim.controller().model().text());

    // The client's requests reach the controller and its raw replies the
    // client; not one poll of the bridge meanwhile, and MQTT moves are ignored.
    auto client = std::make_unique<ShareClient>(config.sharePort);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(shared), QByteArray("true"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(connected), QByteArray("unknown"), kWait);
    QTest::qWait(300); // replies to the last poll
    rig.line.clear();
    client->received.clear();
    client->socket.write("smo\r");
    QTRY_VERIFY_WITH_TIMEOUT(client->received.contains("smo" + model), kWait);
    probe.publish(QStringLiteral("t/s/motor/2/set"), "OPEN");
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/s/commands/ignored")), QByteArray("1"),
                              kWait);
    QTest::qWait(1000); // several poll periods
    QCOMPARE(rig.line, QByteArray("smo\r"));

    // A second client is closed at once without a byte; the first keeps the line.
    ShareClient second(config.sharePort);
    QVERIFY(second.closedByBridge());
    QCOMPARE(second.received, QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(refusals.size(), 1, kWait);
    QVERIFY2(refusals[0][0].toString().contains(QLatin1String("client 127.0.0.1:")),
             qPrintable(refusals[0][0].toString()));
    client->socket.write(" rhi\r");
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.controller().manualMode(), kWait);

    // The client leaves manual mode on and closes: " rhe", then polls again.
    rig.line.clear();
    client.reset();
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(shared), QByteArray("false"), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.sim.controller().manualMode(), kWait);
    QVERIFY2(rig.line.startsWith(" rhe\r"), rig.line.constData());
    QTRY_VERIFY_WITH_TIMEOUT(rig.line.count(kPoll) >= 2, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(connected), QByteArray("true"), kWait);

    // korvane-cli reads everything through the share, as from a local port;
    // the bridge waits meanwhile and polls again after it.
    QTemporaryDir folder;
    QProcess cli;
    QSignalSpy cliDone(&cli, &QProcess::finished);
    cli.start(QStringLiteral(KORVANE_CLI_PROGRAM),
              {"--port", QStringLiteral("tcp://127.0.0.1:%1").arg(config.sharePort), "read",
               folder.filePath("share.vts")});
    QVERIFY(cliDone.wait(60000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    QVERIFY(QFileInfo(folder.filePath("share.vts")).size() > 1000);
    rig.line.clear();
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(shared), QByteArray("false"), kWait);
    QTRY_VERIFY_WITH_TIMEOUT(rig.line.count(kPoll) >= 2, kWait);

    // An address outside "allow" is refused even with the line free.
    ShareClient stranger(config.sharePort, "127.0.0.2");
    QVERIFY(stranger.closedByBridge());
    QCOMPARE(stranger.received, QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(refusals.size(), 2, kWait);
    QVERIFY2(refusals[1][0].toString().contains(QLatin1String("client 127.0.0.2:")),
             qPrintable(refusals[1][0].toString()));
    QCOMPARE(probe.last(shared), QByteArray("false"));

    // A move from MQTT holds manual mode: it ends before the client gets the
    // line. A client that stays silent is let go, with " rhe" after it.
    probe.publish(QStringLiteral("t/s/motor/2/set"), "OPEN");
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.controller().manualMode(), kWait);
    bridge.share()->setSilenceMs(1500);
    rig.line.clear();
    ShareClient quiet(config.sharePort);
    QTRY_VERIFY_WITH_TIMEOUT(!rig.sim.controller().manualMode(), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(shared), QByteArray("true"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/s/manual")), QByteArray("false"), kWait);
    QVERIFY(quiet.closedByBridge());
    QTRY_COMPARE_WITH_TIMEOUT(rig.commands().left(10), QByteArray(" rhe\r rhe\r"), kWait);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(shared), QByteArray("false"), kWait);
}

void TestBridge::programStopsCleanlyDiesWithWillAndRefusesBadLogins() {
    TestBroker broker;
    QVERIFY(broker.start());
    MqttProbe probe(broker.port());
    ControllerRig rig;
    QVERIFY(rig.sim.start());
    const QStringList args = {
        QStringLiteral("--port"),     rig.sim.slavePath(),
        QStringLiteral("--broker"),   QStringLiteral("127.0.0.1:%1").arg(broker.port()),
        QStringLiteral("--base"),     QStringLiteral("t/p"),
        QStringLiteral("--commands"), QStringLiteral("--config"),
        QStringLiteral("/dev/null")};
    auto startProgram = [&](QProcess& p) {
        p.start(bridgeProgram(), args);
        QVERIFY(p.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/p/connected")), QByteArray("true"),
                                  kWait);
    };

    // SIGTERM: manual mode off on the line, "offline" published, exit 0.
    QProcess program;
    startProgram(program);
    probe.publish(QStringLiteral("t/p/motor/2/set"), "OPEN");
    QTRY_VERIFY_WITH_TIMEOUT(rig.commands().contains(" rhb2"), kWait);
    QVERIFY(rig.sim.controller().manualMode());
    ::kill(pid_t(program.processId()), SIGTERM);
    while (program.state() != QProcess::NotRunning)
        QTest::qWait(20); // the simulator answers meanwhile
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(rig.commands(), QByteArray(" rhi\r rhb2\rup\r694\r + sti\r rhe\r"));
    QVERIFY(!rig.sim.controller().manualMode());
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/p/availability")), QByteArray("offline"),
                              kWait);

    // kill -9: the broker publishes the last will.
    probe.clear();
    startProgram(program);
    QCOMPARE(probe.last(QStringLiteral("t/p/availability")), QByteArray("online"));
    program.kill();
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/p/availability")), QByteArray("offline"),
                              kWait);

    // SIGTERM while the line is lent: " rhe" after the client's bytes, the
    // client closed, "offline", exit 0; each event logged with the address.
    probe.clear();
    rig.line.clear();
    const quint16 sharePort = quint16(freeTcpPort());
    program.start(bridgeProgram(),
                  args + QStringList{QStringLiteral("--share"), QString::number(sharePort)});
    QVERIFY(program.waitForStarted());
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/p/shared")), QByteArray("false"), kWait);
    ShareClient client(sharePort);
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/p/shared")), QByteArray("true"), kWait);
    const QString peer = QStringLiteral("127.0.0.1:%1").arg(client.socket.localPort());
    client.socket.write(" rhi\r");
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.controller().manualMode(), kWait);
    ::kill(pid_t(program.processId()), SIGTERM);
    while (program.state() != QProcess::NotRunning)
        QTest::qWait(20);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(client.closedByBridge());
    QVERIFY(!rig.sim.controller().manualMode());
    QVERIFY2(rig.commands().endsWith(" rhi\r rhe\r"), rig.commands().constData());
    QTRY_COMPARE_WITH_TIMEOUT(probe.last(QStringLiteral("t/p/availability")), QByteArray("offline"),
                              kWait);
    const QString log = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(log.contains(QStringLiteral("share: client %1 connected").arg(peer)) &&
                 log.contains(QStringLiteral("share: client %1 gone (the bridge stops)").arg(peer)),
             qPrintable(log));

    // A share that cannot listen (the port is taken): a configuration error.
    QProcess taken;
    taken.start(bridgeProgram(),
                args + QStringList{QStringLiteral("--share"), QString::number(broker.port())});
    QVERIFY(taken.waitForFinished(kWait));
    QCOMPARE(taken.exitCode(), 1);
    QVERIFY(taken.readAllStandardError().contains("share: cannot listen on 127.0.0.1:"));

    // A broker that refuses the login: a configuration error, exit 2, no retries.
    TestBroker locked;
    QFile passwords(locked.path(QStringLiteral("passwords")));
    QVERIFY(passwords.open(QIODevice::WriteOnly));
    passwords.write("bob:secret\n");
    passwords.close();
    passwords.setPermissions(passwords.permissions() | QFile::ReadOther);
    QCOMPARE(QProcess::execute(QStringLiteral("mosquitto_passwd"),
                               {QStringLiteral("-U"), passwords.fileName()}),
             0);
    QVERIFY(locked.start("allow_anonymous false\npassword_file " + passwords.fileName().toUtf8() +
                         '\n'));
    QFile secret(locked.path(QStringLiteral("secret")));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("wrong\n");
    secret.close();
    QProcess refused;
    refused.start(bridgeProgram(),
                  {QStringLiteral("--port"), rig.sim.slavePath(), QStringLiteral("--broker"),
                   QStringLiteral("127.0.0.1:%1").arg(locked.port()), QStringLiteral("--user"),
                   QStringLiteral("bob"), QStringLiteral("--password-file"), secret.fileName(),
                   QStringLiteral("--config"), QStringLiteral("/dev/null")});
    QVERIFY(refused.waitForFinished(kWait));
    QCOMPARE(refused.exitCode(), 2);
    QVERIFY(refused.readAllStandardError().contains("broker refused the connection"));
}

void TestBridge::configuration_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QString>("expected"); // "key = value" lines that must appear, or "error: text"

    const QString port = QStringLiteral("--port=/dev/serial/by-id/usb-FTDI_A1-if00");
    QTest::newRow("defaults")
        << QStringList{port} << QString()
        << "broker = localhost:1883\nbase = korvane\nid = usb-ftdi_a1-if00\n"
           "client-id = korvane-bridge-usb-ftdi_a1-if00\ndiscovery-prefix = homeassistant\n"
           "commands = false\nmanual-hold = 60\nshare = \nallow = \npassword = (none)";
    QTest::newRow("file")
        << QStringList{}
        << "port=COM3\nbroker=mqtt.lan:8883\ncommands=true\nmanual-hold=600\nid=hall"
        << "port = COM3\nbroker = mqtt.lan:8883\ncommands = true\nmanual-hold = 600\nid = hall";
    QTest::newRow("flag wins") << QStringList{QStringLiteral("--broker"),
                                              QStringLiteral("[::1]:1884"),
                                              QStringLiteral("--discovery-prefix="),
                                              QStringLiteral("--base=a/b")}
                               << "port=COM1\nbroker=other\nbase=x"
                               << "broker = [::1]:1884\ndiscovery-prefix = \nbase = a/b";
    QTest::newRow("hold too short")
        << QStringList{port, QStringLiteral("--manual-hold"), QStringLiteral("9")} << QString()
        << "error: manual-hold";
    QTest::newRow("hold too long") << QStringList{} << "port=x\nmanual-hold=601"
                                   << "error: manual-hold";
    QTest::newRow("wildcard base")
        << QStringList{port, QStringLiteral("--base=a/+")} << QString() << "error: base";
    QTest::newRow("bad broker port")
        << QStringList{port, QStringLiteral("--broker=h:70000")} << QString() << "error: broker";
    QTest::newRow("bad id") << QStringList{port, QStringLiteral("--id=a b")} << QString()
                            << "error: id";
    QTest::newRow("no port") << QStringList{} << QString() << "error: no serial port";
    QTest::newRow("unknown flag") << QStringList{port, QStringLiteral("--colour")} << QString()
                                  << "error: unknown option --colour";
    // The share: a bare port listens on 127.0.0.1, an address given is used.
    QTest::newRow("share port") << QStringList{port, QStringLiteral("--share=4001")} << QString()
                                << "share = 127.0.0.1:4001";
    QTest::newRow("share :port") << QStringList{} << "port=x\nshare=:4001"
                                 << "share = 127.0.0.1:4001";
    QTest::newRow("share address")
        << QStringList{port, QStringLiteral("--share"), QStringLiteral("0.0.0.0:4001"),
                       QStringLiteral("--allow=10.0.0.0/8, 192.168.1.5,::1")}
        << QString() << "share = 0.0.0.0:4001\nallow = 10.0.0.0/8,192.168.1.5/32,::1/128";
    QTest::newRow("share v6") << QStringList{port, QStringLiteral("--share=[::1]:4001")}
                              << QString() << "share = [::1]:4001";
    QTest::newRow("share host name")
        << QStringList{port, QStringLiteral("--share=homeserver:4001")} << QString()
        << "error: share: \"homeserver\" is no IP address";
    QTest::newRow("share port range") << QStringList{} << "port=x\nshare=70000"
                                      << "error: share";
    QTest::newRow("allow bad range")
        << QStringList{port, QStringLiteral("--allow=10.0.0.0/33")} << QString() << "error: allow";
    QTest::newRow("commands not bool") << QStringList{} << "port=x\ncommands=maybe"
                                       << "error: commands";
}

void TestBridge::configuration() {
    QFETCH(QStringList, args);
    QFETCH(QString, ini);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bridge.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini.toUtf8());
    file.close();
    const ConfigLoad load = loadBridgeConfig(
        QStringList{QStringLiteral("korvane-bridge"), QStringLiteral("--config"), path} + args,
        QString());
    if (expected.startsWith(QLatin1String("error: "))) {
        QVERIFY(!load.config);
        QVERIFY2(load.errors.join(u'\n').contains(expected.mid(7)),
                 qPrintable(load.errors.join(u'\n')));
        return;
    }
    QVERIFY2(load.config, qPrintable(load.errors.join(u'\n')));
    const QStringList shown = describeConfig(*load.config).split(u'\n');
    for (const QString& line : expected.split(u'\n'))
        QVERIFY2(shown.contains(line),
                 qPrintable(line + QStringLiteral(" not in:\n") + shown.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestBridge)
#include "tst_bridge.moc"
