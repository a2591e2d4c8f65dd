#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QSocketNotifier;
struct mosquitto;
struct mosquitto_message;

namespace korvane::bridge {

// An MQTT connection on libmosquitto, driven from the Qt event loop of the
// owning thread: the client's socket sits in two QSocketNotifiers (read
// always, write while the library has output pending), a timer runs its
// keep-alive work, and every callback runs on this thread. Connecting never
// blocks on the network (a host name is resolved by QHostInfo, then
// mosquitto_connect_async); an attempt that has no answer after kConnectTimeoutMs
// is given up. A lost or failed connection is tried again after 1 s, then
// after twice the previous delay, at most 60 s, until one succeeds. A broker
// that refuses the login ends the tries: that is a configuration error.
class MqttClient : public QObject {
    Q_OBJECT
public:
    static constexpr int kKeepAliveSeconds = 30;
    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kMaxRetryMs = 60000;

    struct Settings {
        QString host;
        int port = 1883;
        QString clientId;
        QString user;
        QString password;
        QString caFile;    // non-empty: TLS, the broker's certificate checked against it
        QString willTopic; // the broker publishes willPayload there (retained)
        QByteArray willPayload;
    };

    explicit MqttClient(const Settings& settings, QObject* parent = nullptr);
    ~MqttClient() override;

    // The first attempt; later ones follow by themselves.
    void start();
    bool isConnected() const { return m_connected; }
    // Queued when connected (QoS 1); false and nothing sent otherwise.
    bool publish(const QString& topic, const QByteArray& payload, bool retain);
    bool subscribe(const QString& topic);
    // A clean goodbye: sends what is queued and DISCONNECT (so the broker
    // does not publish the will), waiting at most `timeoutMs`; no more tries.
    void finish(int timeoutMs);
    // For tests: the first and the largest retry delay.
    void setRetryDelays(int firstMs, int maxMs);
    int nextRetryMs() const { return m_retryMs; }

Q_SIGNALS:
    void connected();
    // The connection is gone (or an attempt failed); a retry is scheduled.
    void disconnected(const QString& reason, int retryMs);
    void messageReceived(const QString& topic, const QByteArray& payload);
    // The broker refused the login or the client id; no retry follows.
    void refused(const QString& reason);

private:
    static void onConnect(mosquitto*, void* self, int rc);
    static void onDisconnect(mosquitto*, void* self, int rc);
    static void onPublish(mosquitto*, void* self, int mid);
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);

    void attempt();
    void connectTo(const QString& host);
    void onReadable();
    void onWritable();
    void afterIo(int rc);
    void updateWriteInterest();
    void lose(const QString& reason);
    void teardown();

    Settings m_settings;
    mosquitto* m_mosq = nullptr;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
    QTimer m_miscTimer;
    QTimer m_retryTimer;
    QTimer m_connectTimer;
    int m_lookupId = -1; // a running host name look-up
    bool m_connected = false;
    bool m_finished = false;
    // Set by callbacks inside the library, handled once it has returned.
    bool m_lost = false;
    QString m_lostReason;
    QString m_refusal;
    QSet<int> m_unacknowledged; // message ids without PUBACK yet
    int m_firstRetryMs = kFirstRetryMs;
    int m_maxRetryMs = kMaxRetryMs;
    int m_retryMs = kFirstRetryMs;
};

} // namespace korvane::bridge
