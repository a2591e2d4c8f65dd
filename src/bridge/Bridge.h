#pragma once

#include "BridgeConfig.h"
#include "Discovery.h"
#include "LineShare.h"
#include "MotorCommands.h"
#include "MqttClient.h"

#include "history/HistoryStore.h"
#include "manual/ManualControl.h"
#include "params/MotorNames.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <memory>

namespace korvane {
class ControllerSession;
class SerialLink;
} // namespace korvane

namespace korvane::bridge {

// The bridge between one controller and an MQTT broker. The serial side is
// the core's session, polling as the desktop does and never writing a
// setting; the MQTT side publishes availability, connection, live values,
// motor names and Home Assistant discovery, and takes motor commands when
// they are allowed.
class Bridge : public QObject {
    Q_OBJECT
public:
    static constexpr int kStateRepeatMs = 60000;
    static constexpr int kNamesRefreshMs = 10 * 60000;
    static constexpr int kOpenRetryMs = 5000;
    static constexpr int kNamesSettleMs = 200;
    static constexpr int kNamesWaitMs = 5000;

    Bridge(const BridgeConfig& config, SerialLink& link, QObject* parent = nullptr);
    ~Bridge() override;

    // Opens `device` (retried until it works) and connects to the broker;
    // listens for a share client when configured. Returns why the share
    // cannot listen (nothing else is started then), empty when all is well.
    QString start(const QString& device);
    // Manual mode off, "offline" published, the broker left, the port closed.
    void stop(const QString& why);

    ControllerSession& session() { return *m_session; }
    MqttClient& mqtt() { return *m_mqtt; }
    MotorCommands& commands() { return *m_commands; }
    const Topics& topics() const { return m_topics; }
    // Null without a share.
    LineShare* share() { return m_share.get(); }

Q_SIGNALS:
    // The broker refused the login: a configuration error (exit 2).
    void fatal(const QString& reason);

private:
    void onBrokerConnected();
    void onBrokerLost(const QString& reason, int retryMs);
    void onMessage(const QString& topic, const QByteArray& payload);
    void onPollAnswered();
    void onLiveValues();
    void onConnectionLost();
    void onNameReply(const QByteArray& payload);
    void noteConnected();
    void publishConnected();
    void publishState(bool force);
    void publishNames();
    void publishDiscovery();
    void publish(const QString& topic, const QByteArray& payload);
    void tryOpen();
    void onShareClient(const QString& peer);
    void onShareClientGone(const QString& peer, const QString& why);
    QString shareText() const;
    QString allowText() const;
    bool lineLent() const { return m_share && m_share->isShared(); }

    BridgeConfig m_config;
    Topics m_topics;
    std::unique_ptr<ControllerSession> m_session;
    std::unique_ptr<ManualControl> m_manual;
    std::unique_ptr<MotorCommands> m_commands;
    std::unique_ptr<MqttClient> m_mqtt;
    std::unique_ptr<HistoryStore> m_history; // while the configuration names a database
    std::unique_ptr<LineShare> m_share;
    QString m_device;
    QTimer m_openTimer;
    QString m_lastOpenError;
    QTimer m_namesTimer;
    QTimer m_namesSettle;
    QTimer m_namesWait;

    bool m_publishedConnected = false;
    bool m_connectedKnown = false;
    QByteArray m_lastState;
    QElapsedTimer m_sinceState;
    MotorNames m_names;
    bool m_namesKnown = false;
    QByteArray m_discoveryKey; // what the published discovery was made of
    QStringList m_discoveryTopics;
    bool m_stopped = false;
};

} // namespace korvane::bridge
