#pragma once

#include "serial/SerialLink.h"

#include <QStringList>
#include <cerrno>
#include <utility>

inline QByteArray frame(const QByteArray& code, const QByteArray& payload) {
    return "start_" + code + payload + "ende_";
}

// A serial link in memory: records what is opened and written, and hands
// bytes to the program as if the controller had sent them.
class FakeLink : public korvane::SerialLink {
    Q_OBJECT
public:
    using SerialLink::SerialLink;

    using SerialLink::open;
    korvane::SerialError open(const QString& device) override {
        openedDevices.append(m_device = device);
        if (openError != 0)
            return korvane::SerialError::fromOsError(device, openError);
        m_open = true;
        return {};
    }
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QString device() const override { return m_device; }
    using SerialLink::write;
    bool write(const QByteArray& bytes, WritePriority priority) override {
        if (!m_open || (priority == WritePriority::Normal && queueFull))
            return false;
        written += bytes;
        return true;
    }
    qint64 bytesToWrite() const override { return m_open ? unsent : 0; }
    QByteArray readAll() override { return std::exchange(m_incoming, {}); }

    // Delivers bytes as one receive event.
    void receive(const QByteArray& bytes) {
        m_incoming += bytes;
        Q_EMIT bytesArrived(m_incoming.size());
    }
    // The controller answers with one frame.
    void reply(const QByteArray& code, const QByteArray& payload) { receive(frame(code, payload)); }
    void raiseLineError() { Q_EMIT lineError(); }
    void hangUp() {
        m_open = false;
        Q_EMIT deviceLost({korvane::SerialError::Kind::Lost, EIO, m_device});
    }

    QStringList openedDevices;
    QByteArray written;
    int openError = 0; // when set, open() fails with this OS error number
    bool queueFull = false; // normal writes are refused
    qint64 unsent = 0;      // bytes the line has not taken yet

private:
    QString m_device;
    QByteArray m_incoming;
    bool m_open = false;
};

// The eight "smn" frames a controller answers to the names request.
inline QList<QByteArray> nameFrames(const QByteArray& name = "Raum        ") {
    QList<QByteArray> frames;
    for (char m = '1'; m <= '8'; ++m)
        frames << frame("smn", QByteArray(1, m) + ',' + name);
    return frames;
}
