#pragma once

#include "serial/SerialLink.h"

#include <QStringList>

namespace korvane::test {

// A serial link in memory: records what is opened and written, and hands
// bytes to the program as if the controller had sent them.
class FakeSerialLink : public SerialLink {
    Q_OBJECT
public:
    using SerialLink::SerialLink;

    bool open(const QString& device, QString* error) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QString device() const override { return m_device; }
    void write(const QByteArray& bytes) override;
    QByteArray readAll() override;

    // The controller sends `bytes`.
    void receive(const QByteArray& bytes);
    // The controller answers with one frame.
    void reply(const QByteArray& code, const QByteArray& payload);
    void raiseLineError() { Q_EMIT lineError(); }

    QStringList openedDevices;
    QByteArray written;
    // When set, open() fails with this text.
    QString openError;

private:
    bool m_open = false;
    QString m_device;
    QByteArray m_incoming;
};

} // namespace korvane::test
