#include "Bridge.h"

#include "BridgeLog.h"

#include "history/LiveSample.h"
#include "params/SwitchTimeWire.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"
#include "session/ControllerStateJson.h"

#include <QDateTime>
#include <QJsonDocument>

namespace korvane::bridge {
namespace {

QByteArray flag(bool on) {
    return on ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
}

MqttClient::Settings mqttSettings(const BridgeConfig& c, const Topics& topics) {
    return {c.brokerHost, c.brokerPort, c.effectiveClientId(), c.user,
            c.password,   c.caFile,     topics.availability(), QByteArrayLiteral("offline")};
}

QString describeKey(const BridgeConfig& c, const char* name) {
    for (const ConfigKey& k : configKeys())
        if (k.name == QLatin1String(name))
            return k.show(c);
    return {};
}

} // namespace

QString Bridge::shareText() const {
    return describeKey(m_config, "share");
}

QString Bridge::allowText() const {
    return describeKey(m_config, "allow");
}

Bridge::Bridge(const BridgeConfig& config, SerialLink& link, QObject* parent)
    : QObject(parent), m_config(config), m_topics{config.base} {
    m_session = std::make_unique<ControllerSession>(&link);
    // Polling must not move the logbook's read position.
    m_session->setLogbookRewindOnPoll(false);
    m_manual = std::make_unique<ManualControl>(*m_session);
    m_commands = std::make_unique<MotorCommands>(*m_session, *m_manual);
    m_commands->setEnabled(config.commands);
    m_commands->setHoldMs(config.manualHoldSeconds * 1000);
    m_mqtt = std::make_unique<MqttClient>(mqttSettings(config, m_topics));

    connect(m_commands.get(), &MotorCommands::logLine, this, &logEvent);
    connect(m_commands.get(), &MotorCommands::ignored, this,
            [this](int count) { publish(m_topics.ignoredCommands(), QByteArray::number(count)); });
    connect(m_manual.get(), &ManualControl::manualChanged, this,
            [this](bool on) { publish(m_topics.manual(), flag(on)); });

    ControllerSession& s = *m_session;
    connect(&s, &ControllerSession::pollAnswered, this, &Bridge::onPollAnswered);
    connect(&s, &ControllerSession::pollState, this, &Bridge::noteConnected);
    connect(&s, &ControllerSession::liveValues, this, &Bridge::onLiveValues);
    connect(&s, &ControllerSession::connectionLost, this, &Bridge::noteConnected);
    connect(&s, &ControllerSession::portReleasing, this,
            [this] { m_commands->leaveNow(QStringLiteral("serial port released")); });
    connect(&s, &ControllerSession::userMessage, this,
            [](const QString& text) { logEvent(QStringLiteral("controller: ") + text.trimmed()); });
    connect(&link, &SerialLink::deviceLost, this, [this](const SerialError& error) {
        logEvent(QStringLiteral("serial device lost (%1); reopening when it is back")
                     .arg(serialErrorText(error)));
        m_commands->leaveNow(QStringLiteral("serial device lost"));
    });
    s.registerHandler("smn", [this](const QByteArray& payload) { onNameReply(payload); });

    // The history of the live values, as the desktop keeps it; a problem with
    // the database is logged once and the bridge goes on without it.
    if (!config.db.isEmpty() && !config.noHistory) {
        m_history = std::make_unique<HistoryStore>();
        connect(m_history.get(), &HistoryStore::problem, this,
                [](const QString& text) { logEvent(QStringLiteral("history: ") + text); });
        if (m_history->open(config.db) && m_history->isRecording())
            logEvent(QStringLiteral("history: recording into %1").arg(config.db));
        m_history->recordFrom(s);
    }

    if (config.sharePort != 0) {
        m_share = std::make_unique<LineShare>(link);
        m_share->setAllowed(config.shareAllow);
        connect(m_share.get(), &LineShare::logLine, this, &logEvent);
        connect(m_share.get(), &LineShare::clientConnected, this, &Bridge::onShareClient);
        connect(m_share.get(), &LineShare::clientGone, this, &Bridge::onShareClientGone);
    }

    m_openTimer.setSingleShot(true);
    connect(&m_openTimer, &QTimer::timeout, this, &Bridge::tryOpen);
    m_namesTimer.setInterval(kNamesRefreshMs);
    connect(&m_namesTimer, &QTimer::timeout, this, [this] {
        if (!lineLent())
            m_session->send("smn");
    });
    m_namesWait.setSingleShot(true);
    m_namesWait.setInterval(kNamesWaitMs);
    connect(&m_namesWait, &QTimer::timeout, this, [this] {
        logEvent(QStringLiteral("the motor names did not arrive; the covers are named "
                                "\"Motor 1\" ... until they do"));
        publishDiscovery();
    });
    m_namesSettle.setSingleShot(true);
    m_namesSettle.setInterval(kNamesSettleMs);
    connect(&m_namesSettle, &QTimer::timeout, this, [this] {
        publishNames();
        publishDiscovery();
    });

    MqttClient& mqtt = *m_mqtt;
    connect(&mqtt, &MqttClient::connected, this, &Bridge::onBrokerConnected);
    connect(&mqtt, &MqttClient::disconnected, this, &Bridge::onBrokerLost);
    connect(&mqtt, &MqttClient::messageReceived, this, &Bridge::onMessage);
    connect(&mqtt, &MqttClient::refused, this, [this](const QString& reason) {
        logEvent(QStringLiteral("broker refused the connection: %1 (check user, password-file "
                                "and client-id)")
                     .arg(reason));
        Q_EMIT fatal(reason);
    });
}

Bridge::~Bridge() = default;

QString Bridge::start(const QString& device) {
    if (m_share) {
        const QString error = m_share->listen(m_config.shareAddress, m_config.sharePort);
        if (!error.isEmpty())
            return QStringLiteral("share: cannot listen on %1: %2").arg(shareText(), error);
        logEvent(QStringLiteral("share: listening on %1%2")
                     .arg(shareText(), m_config.shareAllow.isEmpty()
                                           ? QString()
                                           : QStringLiteral(" for ") + allowText()));
    }
    m_device = device;
    logEvent(QStringLiteral("starting: port %1, broker %2:%3, base topic %4, commands %5")
                 .arg(device, m_config.brokerHost)
                 .arg(m_config.brokerPort)
                 .arg(m_config.base,
                      m_config.commands
                          ? QStringLiteral("on (manual hold %1 s)").arg(m_config.manualHoldSeconds)
                          : QStringLiteral("off")));
    tryOpen();
    m_mqtt->start();
    return {};
}

void Bridge::tryOpen() {
    if (m_session->openDevice(m_device)) {
        logEvent(QStringLiteral("serial port %1 open").arg(m_device));
        m_lastOpenError.clear();
        return;
    }
    const QString error = serialErrorText(m_session->openError());
    if (error != m_lastOpenError)
        logEvent(QStringLiteral("cannot open %1: %2; trying again every %3 s")
                     .arg(m_device, error)
                     .arg(kOpenRetryMs / 1000));
    m_lastOpenError = error;
    m_openTimer.start(kOpenRetryMs);
}

void Bridge::stop(const QString& why) {
    if (m_stopped)
        return;
    m_stopped = true;
    logEvent(QStringLiteral("stopping (%1)").arg(why));
    m_openTimer.stop();
    if (m_share)
        m_share->shutDown(QStringLiteral("the bridge stops"));
    m_commands->leaveNow(why);
    publish(m_topics.connected(), flag(false));
    publish(m_topics.availability(), QByteArrayLiteral("offline"));
    m_mqtt->finish(2000);
    // Closing waits until the last bytes (" rhe") are on the line.
    m_session->closePort();
    logEvent(QStringLiteral("stopped"));
}

void Bridge::publish(const QString& topic, const QByteArray& payload) {
    m_mqtt->publish(topic, payload, true);
}

// --- broker ----------------------------------------------------------------------

void Bridge::onBrokerConnected() {
    logEvent(QStringLiteral("broker connected (%1:%2)")
                 .arg(m_config.brokerHost)
                 .arg(m_config.brokerPort));
    publish(m_topics.availability(), QByteArrayLiteral("online"));
    publishConnected();
    publish(m_topics.manual(), flag(m_manual->isOn()));
    if (m_share)
        publish(m_topics.shared(), flag(lineLent()));
    publish(m_topics.ignoredCommands(), QByteArray::number(m_commands->ignoredCount()));
    if (m_namesKnown)
        publishNames();
    if (!m_lastState.isEmpty())
        publishState(true);
    m_discoveryKey.clear();
    publishDiscovery();
    m_mqtt->subscribe(m_topics.motorSetFilter());
}

void Bridge::onBrokerLost(const QString& reason, int retryMs) {
    logEvent(QStringLiteral("broker not connected: %1; next try in %2 s")
                 .arg(reason)
                 .arg(retryMs / 1000.0));
    m_commands->leaveNow(QStringLiteral("broker connection lost"));
}

void Bridge::onMessage(const QString& topic, const QByteArray& payload) {
    m_commands->handle(m_topics.motorOfSetTopic(topic), payload);
}

// --- controller ------------------------------------------------------------------

void Bridge::noteConnected() {
    const bool now = m_session->isConnected();
    if (m_connectedKnown && now == m_publishedConnected)
        return;
    const bool first = !m_connectedKnown;
    m_connectedKnown = true;
    m_publishedConnected = now;
    publishConnected();
    if (now) {
        logEvent(QStringLiteral("controller answers: %1, firmware %2")
                     .arg(m_session->panels().text(StatusPanels::Model).trimmed(),
                          m_session->panels().text(StatusPanels::Version).mid(1).trimmed()));
        m_commands->controllerBack();
        m_session->send("smn");
        m_namesTimer.start();
        if (!m_namesKnown)
            m_namesWait.start();
    } else if (!first) {
        logEvent(QStringLiteral("controller does not answer (\"%1\")").arg(kNoConnectionText));
        m_namesTimer.stop();
        m_commands->leaveNow(QStringLiteral("controller does not answer"));
    }
}

void Bridge::publishConnected() {
    // The client's transfers are not read: whether the controller answers
    // is unknown while they run.
    publish(m_topics.connected(), lineLent() ? QByteArrayLiteral("unknown")
                                             : flag(m_connectedKnown && m_publishedConnected));
}

// --- share -----------------------------------------------------------------------

void Bridge::onShareClient(const QString& peer) {
    logEvent(QStringLiteral("share: client %1 connected; polling paused").arg(peer));
    // Manual mode from MQTT ends before the client gets the line.
    m_commands->leaveNow(QStringLiteral("line lent to %1").arg(peer));
    m_commands->setLineLent(true);
    m_session->lendLine(true);
    publish(m_topics.shared(), flag(true));
    publishConnected();
}

void Bridge::onShareClientGone(const QString& peer, const QString& why) {
    logEvent(QStringLiteral("share: client %1 gone (%2); manual mode off sent%3")
                 .arg(peer, why, m_stopped ? QString() : QStringLiteral(", polling again")));
    // The client may have left manual mode on; a full queue does not refuse this.
    m_session->sendSafetyCommand(ManualControl::leaveCommand());
    m_commands->setLineLent(false);
    if (!m_stopped)
        m_session->lendLine(false);
    publish(m_topics.shared(), flag(false));
    publishConnected();
}

void Bridge::onPollAnswered() {
    noteConnected();
    m_commands->pollAnswered();
    if (m_lastState.isEmpty())
        publishState(false); // the first poll's live values came before the model
    publishDiscovery();
}

void Bridge::onLiveValues() {
    if (m_session->isConnected() && m_session->model().motorCount > 0)
        publishState(false);
}

void Bridge::publishState(bool force) {
    const LiveSample sample = sampleFromReply(m_session->lastLiveValues().raw, m_session->model(),
                                              QDateTime::currentMSecsSinceEpoch());
    const QByteArray payload = QJsonDocument(controllerStateJson(m_session->panels(), sample))
                                   .toJson(QJsonDocument::Compact);
    if (!force && payload == m_lastState && m_sinceState.isValid() &&
        m_sinceState.elapsed() < kStateRepeatMs)
        return;
    m_lastState = payload;
    m_sinceState.start();
    publish(m_topics.state(), payload);
}

void Bridge::onNameReply(const QByteArray& payload) {
    if (!applySmnReply(m_names, payload).stored)
        return;
    m_namesKnown = true;
    m_namesWait.stop();
    // The eight replies come together: names and discovery follow the last.
    m_namesSettle.start();
}

void Bridge::publishNames() {
    if (!m_namesKnown)
        return;
    for (int m = 1; m <= m_session->model().motorCount; ++m)
        publish(m_topics.motorName(m), shownMotorName(m_names.name(m - 1), m).toUtf8());
}

void Bridge::publishDiscovery() {
    const ModelInfo& model = m_session->model();
    // Covers are named after the motors: discovery waits for the names a
    // moment after the controller first answers.
    const bool namesSettled = m_namesKnown || (m_connectedKnown && !m_namesWait.isActive());
    if (m_config.discoveryPrefix.isEmpty() || !m_mqtt->isConnected() || model.motorCount == 0 ||
        !m_session->isConnected() || !namesSettled)
        return;
    DiscoveryInput in;
    in.prefix = m_config.discoveryPrefix;
    in.id = m_config.effectiveId();
    in.topics = m_topics;
    in.commands = m_config.commands;
    in.model = model;
    in.modelText = m_session->panels().text(StatusPanels::Model).trimmed();
    in.firmware = m_session->panels().text(StatusPanels::Version).mid(1).trimmed();
    for (int m = 1; m <= model.motorCount; ++m)
        in.motorNames << shownMotorName(m_names.name(m - 1), m);
    const QList<DiscoveryMessage> messages = discoveryMessages(in);
    QByteArray key;
    QStringList topics;
    for (const DiscoveryMessage& d : messages) {
        key += d.topic.toUtf8() + '\n' + d.payload + '\n';
        topics << d.topic;
    }
    if (key == m_discoveryKey)
        return;
    m_discoveryKey = key;
    for (const DiscoveryMessage& d : messages)
        publish(d.topic, d.payload);
    // Entities of an earlier model or configuration are removed.
    for (const QString& old : std::as_const(m_discoveryTopics))
        if (!topics.contains(old))
            publish(old, QByteArray());
    m_discoveryTopics = topics;
    publishNames();
    logEvent(QStringLiteral("discovery published: %1 entities under %2/")
                 .arg(messages.size())
                 .arg(m_config.discoveryPrefix));
}

} // namespace korvane::bridge
