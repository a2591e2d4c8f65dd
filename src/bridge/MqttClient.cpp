#include "MqttClient.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <mosquitto.h>
#include <poll.h>

namespace korvane::bridge {
namespace {

QString errorText(int rc) {
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

// CONNACK codes that no retry can change: the configuration must.
bool isConfigurationRefusal(int rc) {
    return rc == 1 /* protocol version */ || rc == 2 /* client id */ ||
           rc == 4 /* user name or password */ || rc == 5 /* not authorised */;
}

} // namespace

MqttClient::MqttClient(const Settings& settings, QObject* parent)
    : QObject(parent), m_settings(settings) {
    static const bool initialised = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(initialised);
    m_miscTimer.setInterval(1000);
    connect(&m_miscTimer, &QTimer::timeout, this, [this] {
        if (m_mosq)
            afterIo(mosquitto_loop_misc(m_mosq));
    });
    m_retryTimer.setSingleShot(true);
    connect(&m_retryTimer, &QTimer::timeout, this, &MqttClient::attempt);
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        lose(QStringLiteral("no answer within %1 s").arg(kConnectTimeoutMs / 1000));
    });
}

MqttClient::~MqttClient() {
    teardown();
}

void MqttClient::setRetryDelays(int firstMs, int maxMs) {
    m_firstRetryMs = firstMs;
    m_maxRetryMs = maxMs;
    m_retryMs = firstMs;
}

void MqttClient::start() {
    m_finished = false;
    attempt();
}

void MqttClient::attempt() {
    teardown();
    // libmosquitto would resolve a host name itself, blocking the event loop
    // (and the serial polling) for as long as the look-up takes. Qt resolves
    // it aside; TLS keeps the name, which the certificate check needs.
    if (!m_settings.caFile.isEmpty() || !QHostAddress(m_settings.host).isNull()) {
        connectTo(m_settings.host);
        return;
    }
    m_connectTimer.start(kConnectTimeoutMs); // a look-up that hangs ends too
    m_lookupId = QHostInfo::lookupHost(m_settings.host, this, [this](const QHostInfo& info) {
        m_lookupId = -1;
        const QList<QHostAddress> addresses = info.addresses();
        if (info.error() != QHostInfo::NoError || addresses.isEmpty()) {
            lose(QStringLiteral("cannot resolve %1: %2").arg(m_settings.host, info.errorString()));
            return;
        }
        // Brokers listen on IPv4 more often than on IPv6 ("localhost").
        const auto v4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        connectTo((v4 != addresses.end() ? *v4 : addresses.first()).toString());
    });
}

void MqttClient::connectTo(const QString& host) {
    const QByteArray clientId = m_settings.clientId.toUtf8();
    m_mosq = mosquitto_new(clientId.constData(), true, this);
    if (!m_mosq) {
        lose(QStringLiteral("cannot create the MQTT client"));
        return;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(m_mosq, &MqttClient::onMessage);
    mosquitto_publish_callback_set(m_mosq, &MqttClient::onPublish);
    const QByteArray willTopic = m_settings.willTopic.toUtf8();
    if (!willTopic.isEmpty())
        mosquitto_will_set(m_mosq, willTopic.constData(), int(m_settings.willPayload.size()),
                           m_settings.willPayload.constData(), 1, true);
    if (!m_settings.user.isEmpty())
        mosquitto_username_pw_set(
            m_mosq, m_settings.user.toUtf8().constData(),
            m_settings.password.isEmpty() ? nullptr : m_settings.password.toUtf8().constData());
    if (!m_settings.caFile.isEmpty()) {
        const int rc = mosquitto_tls_set(m_mosq, m_settings.caFile.toLocal8Bit().constData(),
                                         nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            teardown();
            m_finished = true;
            Q_EMIT refused(QStringLiteral("TLS set-up with %1 failed: %2")
                               .arg(m_settings.caFile, errorText(rc)));
            return;
        }
    }
    const int rc = mosquitto_connect_async(m_mosq, host.toUtf8().constData(), m_settings.port,
                                           kKeepAliveSeconds);
    const int fd = mosquitto_socket(m_mosq);
    if (rc != MOSQ_ERR_SUCCESS || fd < 0) {
        lose(errorText(rc));
        return;
    }
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &MqttClient::onReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &MqttClient::onWritable);
    updateWriteInterest();
    m_miscTimer.start();
    m_connectTimer.start(kConnectTimeoutMs);
}

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    if (rc == 0) {
        client->m_connected = true;
        client->m_connectTimer.stop();
        client->m_retryMs = client->m_firstRetryMs;
        Q_EMIT client->connected();
    } else if (isConfigurationRefusal(rc)) {
        client->m_refusal = QString::fromUtf8(mosquitto_connack_string(rc));
    }
}

void MqttClient::onDisconnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    client->m_lost = true;
    if (client->m_lostReason.isEmpty())
        client->m_lostReason = rc == 0 ? QStringLiteral("disconnected") : errorText(rc);
}

void MqttClient::onPublish(mosquitto*, void* self, int mid) {
    static_cast<MqttClient*>(self)->m_unacknowledged.remove(mid);
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MqttClient*>(self);
    Q_EMIT client->messageReceived(
        QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char*>(message->payload), message->payloadlen));
}

void MqttClient::onReadable() {
    if (m_mosq)
        afterIo(mosquitto_loop_read(m_mosq, 1));
}

void MqttClient::onWritable() {
    if (!m_mosq)
        return;
    // Until the broker has answered, mosquitto_loop() also completes the
    // non-blocking connect and a TLS handshake; with timeout 0 it never waits.
    afterIo(m_connected ? mosquitto_loop_write(m_mosq, 1) : mosquitto_loop(m_mosq, 0, 1));
}

void MqttClient::afterIo(int rc) {
    if (!m_refusal.isEmpty()) {
        const QString reason = m_refusal;
        m_refusal.clear();
        teardown();
        m_finished = true;
        Q_EMIT refused(reason);
        return;
    }
    if (m_lost || (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN)) {
        lose(m_lostReason.isEmpty() ? errorText(rc) : m_lostReason);
        return;
    }
    if (rc == MOSQ_ERR_NO_CONN) {
        lose(QStringLiteral("connection closed"));
        return;
    }
    updateWriteInterest();
}

void MqttClient::updateWriteInterest() {
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(m_mosq && mosquitto_want_write(m_mosq));
}

void MqttClient::lose(const QString& reason) {
    m_connected = false;
    teardown();
    if (m_finished)
        return;
    const int delay = m_retryMs;
    m_retryMs = std::min(m_retryMs * 2, m_maxRetryMs);
    m_retryTimer.start(delay);
    Q_EMIT disconnected(reason, delay);
}

void MqttClient::teardown() {
    if (m_lookupId >= 0) {
        QHostInfo::abortHostLookup(m_lookupId);
        m_lookupId = -1;
    }
    m_connectTimer.stop();
    m_miscTimer.stop();
    for (QSocketNotifier* n : {m_readNotifier, m_writeNotifier}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    if (m_mosq) {
        mosquitto_destroy(m_mosq);
        m_mosq = nullptr;
    }
    m_connected = false;
    m_lost = false;
    m_lostReason.clear();
    m_unacknowledged.clear();
}

bool MqttClient::publish(const QString& topic, const QByteArray& payload, bool retain) {
    if (!m_connected || !m_mosq)
        return false;
    const QByteArray t = topic.toUtf8();
    int mid = 0;
    const int rc = mosquitto_publish(m_mosq, &mid, t.constData(), int(payload.size()),
                                     payload.constData(), 1, retain);
    if (rc == MOSQ_ERR_SUCCESS)
        m_unacknowledged.insert(mid);
    if (rc != MOSQ_ERR_SUCCESS) {
        // Handled once the library is out of any callback that led here.
        m_lost = true;
        m_lostReason = errorText(rc);
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_lost)
                    afterIo(MOSQ_ERR_SUCCESS);
            },
            Qt::QueuedConnection);
        return false;
    }
    updateWriteInterest();
    return true;
}

bool MqttClient::subscribe(const QString& topic) {
    if (!m_connected || !m_mosq)
        return false;
    const int rc = mosquitto_subscribe(m_mosq, nullptr, topic.toUtf8().constData(), 1);
    updateWriteInterest();
    return rc == MOSQ_ERR_SUCCESS;
}

void MqttClient::finish(int timeoutMs) {
    m_finished = true;
    m_retryTimer.stop();
    if (m_mosq && m_connected) {
        QElapsedTimer clock;
        clock.start();
        // The broker acknowledges the last messages first: a DISCONNECT
        // that closes the socket under its acknowledgements would make it
        // see a broken connection and publish the will after all.
        auto pump = [&](const std::function<bool()>& more) {
            while (m_mosq && !m_lost && more() && clock.elapsed() < timeoutMs) {
                const int fd = mosquitto_socket(m_mosq);
                if (fd < 0)
                    return;
                pollfd p{fd, short(POLLIN | (mosquitto_want_write(m_mosq) ? POLLOUT : 0)), 0};
                if (::poll(&p, 1, int(timeoutMs - clock.elapsed())) <= 0)
                    return;
                if ((p.revents & POLLOUT) && mosquitto_loop_write(m_mosq, 1) != MOSQ_ERR_SUCCESS)
                    return;
                if ((p.revents & (POLLIN | POLLHUP | POLLERR)) &&
                    mosquitto_loop_read(m_mosq, 1) != MOSQ_ERR_SUCCESS)
                    return;
            }
        };
        pump([this] { return !m_unacknowledged.isEmpty(); });
        if (m_mosq && !m_lost) {
            mosquitto_disconnect(m_mosq);
            pump([this] { return mosquitto_want_write(m_mosq); });
        }
    }
    teardown();
}

} // namespace korvane::bridge
