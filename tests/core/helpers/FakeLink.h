#pragma once

#include "serial/SerialLink.h"

// A serial link in memory: tests push received bytes and read what was written.
class FakeLink : public korvane::SerialLink {
    Q_OBJECT
public:
    using SerialLink::SerialLink;

    bool open(const QString& device, QString* error) override {
        if (device.contains(QLatin1String("missing"))) {
            if (error)
                *error = QStringLiteral("Specified device not found (%1).").arg(device);
            return false;
        }
        m_device = device;
        m_open = true;
        ++opens;
        return true;
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QString device() const override { return m_device; }
    void write(const QByteArray& bytes) override {
        if (m_open)
            written += bytes;
    }
    QByteArray readAll() override { return std::exchange(m_incoming, {}); }

    // Delivers bytes as one receive event.
    void receive(const QByteArray& bytes) {
        m_incoming += bytes;
        Q_EMIT bytesArrived(m_incoming.size());
    }
    void hangUp() {
        m_open = false;
        Q_EMIT deviceLost(QStringLiteral("gone"));
    }

    QByteArray written;
    int opens = 0;

private:
    QString m_device;
    QByteArray m_incoming;
    bool m_open = false;
};

inline QByteArray frame(const QByteArray& code, const QByteArray& payload) {
    return "start_" + code + payload + "ende_";
}
