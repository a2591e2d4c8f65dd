#pragma once

// A real mosquitto broker on a free port with its own temporary
// configuration, and a libmosquitto subscriber that records every message.

#include "Ser2Net.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHash>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <mosquitto.h>

namespace korvane::test {

class TestBroker {
public:
    // `extra` goes into the configuration (e.g. a password file).
    bool start(const QByteArray& extra = {}) {
        if (m_port == 0)
            m_port = freeTcpPort();
        const QString program = QStandardPaths::findExecutable(
            QStringLiteral("mosquitto"), {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
        if (program.isEmpty() || !m_dir.isValid())
            return false;
        // Started as root, mosquitto reads its password file as its own user.
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther);
        QFile conf(m_dir.filePath(QStringLiteral("mosquitto.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write("listener " + QByteArray::number(m_port) + " 127.0.0.1\npersistence false\n" +
                   (extra.isEmpty() ? QByteArray("allow_anonymous true\n") : extra));
        conf.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {QStringLiteral("-c"), conf.fileName()});
        if (!m_process.waitForStarted(5000))
            return false;
        return waitForListener(quint16(m_port));
    }
    void stop() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    ~TestBroker() { stop(); }
    int port() const { return m_port; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// Subscribes to "#" (again after every reconnect) on its own libmosquitto
// thread and keeps every message.
class MqttProbe {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained;
    };

    explicit MqttProbe(int port) {
        mosquitto_lib_init();
        m_mosq = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(m_mosq, [](mosquitto* m, void*, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, "#", 1);
        });
        mosquitto_message_callback_set(
            m_mosq, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* probe = static_cast<MqttProbe*>(self);
                QMutexLocker lock(&probe->m_mutex);
                probe->m_messages.append(
                    {QString::fromUtf8(m->topic),
                     QByteArray(static_cast<const char*>(m->payload), m->payloadlen), m->retain});
            });
        mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
        mosquitto_connect_async(m_mosq, "127.0.0.1", port, 30);
        mosquitto_loop_start(m_mosq);
    }
    ~MqttProbe() {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, true);
        mosquitto_destroy(m_mosq);
    }
    void publish(const QString& topic, const QByteArray& payload) {
        mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()),
                          payload.constData(), 1, false);
    }
    QList<Message> messages() const {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }
    QList<QByteArray> payloads(const QString& topic) const {
        QList<QByteArray> out;
        for (const Message& m : messages())
            if (m.topic == topic)
                out << m.payload;
        return out;
    }
    QByteArray last(const QString& topic) const {
        return payloads(topic).value(payloads(topic).size() - 1);
    }
    // The latest payload of each topic under `prefix`.
    QHash<QString, QByteArray> latestUnder(const QString& prefix) const {
        QHash<QString, QByteArray> out;
        for (const Message& m : messages())
            if (m.topic.startsWith(prefix))
                out.insert(m.topic, m.payload);
        return out;
    }
    void clear() {
        QMutexLocker lock(&m_mutex);
        m_messages.clear();
    }

private:
    mosquitto* m_mosq = nullptr;
    mutable QMutex m_mutex;
    QList<Message> m_messages;
};

} // namespace korvane::test
