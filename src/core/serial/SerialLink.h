#pragma once

#include "serial/SerialError.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace korvane {

// The serial line as the rest of the program sees it: open a device, write
// bytes, read what is waiting, hear about arrivals and line errors. Every
// notification arrives on the thread that owns the link, one at a time.
class SerialLink : public QObject {
    Q_OBJECT
public:
    // Normal writes are refused while the output queue is full; a safety
    // write (leaving manual mode) is queued whatever the queue holds.
    enum class WritePriority { Normal, Safety };

    using QObject::QObject;
    ~SerialLink() override = default;

    // 9600 8N1, XON/XOFF both ways, DTR and RTS inactive. Returns why it
    // failed, or an error of kind None.
    virtual SerialError open(const QString& device) = 0;
    // The same, for callers that only want a text: on failure returns false
    // and sets *errorText to serialErrorText().
    bool open(const QString& device, QString* errorText) {
        const SerialError e = open(device);
        if (!e.ok() && errorText)
            *errorText = serialErrorText(e);
        return e.ok();
    }
    virtual void close() = 0;
    // False once the device is lost, before deviceLost is reported.
    virtual bool isOpen() const = 0;
    virtual QString device() const = 0;
    // Queues bytes for sending. True when they were queued; a closed link
    // drops them, a full queue refuses a normal write (writeRefused).
    virtual bool write(const QByteArray& bytes, WritePriority priority) = 0;
    bool write(const QByteArray& bytes) { return write(bytes, WritePriority::Normal); }
    // Bytes written but not yet on the line: those the program still queues
    // and those the driver holds (XOFF from the far end keeps them there).
    virtual qint64 bytesToWrite() const = 0;
    // Everything that is waiting, empty when nothing is or the link is closed.
    virtual QByteArray readAll() = 0;

Q_SIGNALS:
    void bytesArrived(qsizetype waiting);
    void lineError();
    // The open device went away (USB adapter unplugged, far end hung up): the
    // link has closed it, dropping what was still queued. Reported once per
    // loss, with an error of kind Lost.
    void deviceLost(const korvane::SerialError& error);
    // A write was refused because the output queue stayed full.
    void writeRefused(const QString& message);
};

} // namespace korvane
