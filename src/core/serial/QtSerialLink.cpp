#include "serial/QtSerialLink.h"

#include <QFile>
#include <QSerialPort>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace korvane {
namespace {

constexpr int kCloseFlushMs = 200;

// Opens the device the way the serial port will, only to learn the OS error
// that a failed open gives; QSerialPort reports error classes, not numbers.
int probeOpenError(const QString& device) {
    const QByteArray path = QFile::encodeName(device);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno;
    // A file or other device that is no terminal cannot carry the line.
    const int result = ::isatty(fd) ? 0 : ENOTTY;
    ::close(fd);
    return result;
}

// Software flow control must not restart output on any byte, only on XON.
void clearRestartOnAnyByte(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXANY);
    ::tcsetattr(fd, TCSANOW, &tio);
}

} // namespace

QtSerialLink::QtSerialLink(QObject* parent) : SerialLink(parent), m_port(new QSerialPort(this)) {
    connect(m_port, &QSerialPort::readyRead, this,
            [this] { Q_EMIT bytesArrived(m_port->bytesAvailable()); });
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onError(e); });
    connect(m_port, &QSerialPort::bytesWritten, this, [this] {
        if (m_port->bytesToWrite() == 0)
            m_overflowReported = false;
    });
}

QtSerialLink::~QtSerialLink() {
    close();
}

SerialError QtSerialLink::open(const QString& device) {
    close();
    m_device = device;
    if (const int osError = probeOpenError(device))
        return SerialError::fromOsError(device, osError);
    m_port->setPortName(device);
    m_port->setBaudRate(QSerialPort::Baud9600);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::SoftwareControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        // QSerialPort names error classes, not numbers. The probe above had
        // the right to open the device, so a permission error here is the
        // lock or exclusive mode of another user of the port.
        int osError = EIO;
        if (m_port->error() == QSerialPort::PermissionError)
            osError = EBUSY;
        else if (m_port->error() == QSerialPort::DeviceNotFoundError)
            osError = ENOENT;
        m_port->clearError();
        return SerialError::fromOsError(device, osError);
    }
    clearRestartOnAnyByte(static_cast<int>(m_port->handle()));
    // Pseudo-terminals have no modem lines; failing here is harmless.
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
    m_port->clearError();
    return {};
}

void QtSerialLink::close() {
    if (m_port->isOpen()) {
        // Last words (leaving manual mode) must reach the controller.
        if (m_port->bytesToWrite() > 0)
            m_port->waitForBytesWritten(kCloseFlushMs);
        m_port->close();
    }
    m_overflowReported = false;
}

bool QtSerialLink::isOpen() const {
    return m_port->isOpen();
}

void QtSerialLink::write(const QByteArray& bytes) {
    if (!m_port->isOpen() || bytes.isEmpty())
        return;
    if (m_port->bytesToWrite() + bytes.size() > kWriteQueueLimit) {
        if (!m_overflowReported) {
            m_overflowReported = true;
            Q_EMIT writeRefused(QStringLiteral("Output buffer is full. Please check comm status."));
        }
        return;
    }
    m_port->write(bytes);
}

QByteArray QtSerialLink::readAll() {
    if (!m_port->isOpen())
        return {};
    return m_port->readAll();
}

void QtSerialLink::onError(int error) {
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError: // modem lines on a pseudo-terminal
    case QSerialPort::DeviceNotFoundError:       // reported through open()
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::NotOpenError:
        return;
    case QSerialPort::TimeoutError:
        // Only close() waits, for the last bytes: a close is no line error.
        m_port->clearError();
        return;
    case QSerialPort::ResourceError: {
        // The other side hung up or the adapter was unplugged. QSerialPort
        // stays "open" on a dead descriptor: close it so it can be reopened.
        const QString reason = m_port->errorString();
        m_port->clearError();
        close();
        Q_EMIT deviceLost(reason);
        return;
    }
    default:
        m_port->clearError();
        Q_EMIT lineError();
        return;
    }
}

} // namespace korvane
