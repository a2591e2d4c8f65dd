#pragma once

#include "serial/SerialLink.h"

class QSerialPort;

namespace korvane {

// SerialLink on QSerialPort: 9600 8N1 with XON/XOFF, DTR and RTS held low.
class QtSerialLink : public SerialLink {
    Q_OBJECT
public:
    // Bytes that may wait for the line before further writes are refused.
    static constexpr qint64 kWriteQueueLimit = 24096;

    explicit QtSerialLink(QObject* parent = nullptr);
    ~QtSerialLink() override;

    using SerialLink::open;
    SerialError open(const QString& device) override;
    void close() override;
    bool isOpen() const override;
    QString device() const override { return m_device; }
    using SerialLink::write;
    bool write(const QByteArray& bytes, WritePriority priority) override;
    qint64 bytesToWrite() const override;
    QByteArray readAll() override;

private:
    void onError(int error);
    void finishLoss();

    QSerialPort* m_port;
    QString m_device;
    bool m_overflowReported = false;
    // The device went away: nothing more is written to or flushed into it,
    // and no further error of it is reported.
    bool m_lost = false;
    bool m_closing = false;
};

} // namespace korvane
