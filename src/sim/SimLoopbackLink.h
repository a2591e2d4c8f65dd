#pragma once

#include "serial/SerialLink.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <functional>

namespace korvane {

// A serial link whose other end is an in-process responder: every write is
// handed to it, and the frames it returns come back as received bytes on a
// later turn of the event loop. With a byte rate set, the replies arrive at
// that rate (960 bytes per second is 9600 baud 8N1), in small chunks as a
// real port delivers them; without, all at once.
class SimLoopbackLink : public SerialLink {
    Q_OBJECT
public:
    using Responder = std::function<QList<QByteArray>(const QByteArray& request)>;

    explicit SimLoopbackLink(Responder responder, QObject* parent = nullptr);

    void setBytesPerSecond(int rate) { m_rate = rate; }
    // While mute, requests are still answered but nothing is delivered.
    void setMute(bool mute) { m_mute = mute; }

    using SerialLink::open;
    SerialError open(const QString& device) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString device() const override { return m_device; }
    using SerialLink::write;
    bool write(const QByteArray& bytes, WritePriority priority) override;
    // Writes reach the responder at once.
    qint64 bytesToWrite() const override { return 0; }
    QByteArray readAll() override { return std::exchange(m_incoming, {}); }

    // Delivers bytes that no request asked for (at the set rate).
    void receive(const QByteArray& bytes);

    // Everything written so far.
    const QByteArray& written() const { return m_written; }
    // Bytes delivered to the reader so far.
    qint64 deliveredBytes() const { return m_delivered; }

private:
    void enqueue(const QByteArray& bytes);
    void deliver();

    Responder m_responder;
    QString m_device;
    bool m_open = false;
    bool m_mute = false;
    int m_rate = 0;
    QByteArray m_written;
    QByteArray m_queue;    // answered, not yet on the wire
    QByteArray m_incoming; // arrived, not yet read
    qint64 m_delivered = 0;
    QTimer m_pace;
    QElapsedTimer m_clock;
    qint64 m_burstStartNs = 0;
    qint64 m_burstSent = 0;
};

} // namespace korvane
