#include "serial/QtSerialLink.h"

#include <QFile>
#include <QSerialPort>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
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

// Whether the terminal behind `fd` has been hung up: the far end of a
// pseudo-terminal closed, or a USB adapter unplugged. Its reads then return
// end-of-file, which QSerialPort reports as a plain read error.
bool hungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        return true;
    termios tio{};
    return ::tcgetattr(fd, &tio) != 0 && (errno == EIO || errno == EBADF);
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
    m_lost = false;
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
    // Closing can raise errors of its own (a flush into a dead device); they
    // must not close again.
    if (m_closing)
        return;
    m_closing = true;
    if (m_port->isOpen()) {
        // Last words (leaving manual mode) must reach the controller; a lost
        // device takes nothing more.
        if (!m_lost && m_port->bytesToWrite() > 0)
            m_port->waitForBytesWritten(kCloseFlushMs);
        m_port->close();
        m_port->clearError();
    }
    m_overflowReported = false;
    m_closing = false;
}

bool QtSerialLink::isOpen() const {
    return m_port->isOpen() && !m_lost;
}

bool QtSerialLink::write(const QByteArray& bytes, WritePriority priority) {
    if (!isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    if (priority == WritePriority::Normal &&
        m_port->bytesToWrite() + bytes.size() > kWriteQueueLimit) {
        if (!m_overflowReported) {
            m_overflowReported = true;
            Q_EMIT writeRefused(QStringLiteral("Output buffer is full. Please check comm status."));
        }
        return false;
    }
    return m_port->write(bytes) == bytes.size();
}

qint64 QtSerialLink::bytesToWrite() const {
    // A device just lost still holds its queue until it is closed.
    if (!m_port->isOpen())
        return 0;
    qint64 waiting = m_port->bytesToWrite();
    // What the driver holds: on a real port the kernel takes a few kilobytes
    // that XOFF keeps from the line.
    int inDriver = 0;
    if (::ioctl(static_cast<int>(m_port->handle()), TIOCOUTQ, &inDriver) == 0 && inDriver > 0)
        waiting += inDriver;
    return waiting;
}

QByteArray QtSerialLink::readAll() {
    if (!isOpen())
        return {};
    return m_port->readAll();
}

void QtSerialLink::onError(int error) {
    // clearError() reports NoError through the same signal.
    if (error == QSerialPort::NoError)
        return;
    if (m_lost || m_closing) {
        m_port->clearError();
        return;
    }
    switch (error) {
    case QSerialPort::UnsupportedOperationError: // modem lines on a pseudo-terminal
    case QSerialPort::DeviceNotFoundError:       // reported through open()
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::NotOpenError:
        return;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
        if (!hungUp(static_cast<int>(m_port->handle())))
            break;
        [[fallthrough]];
    case QSerialPort::ResourceError:
        // The other side hung up or the adapter was unplugged. QSerialPort
        // stays "open" on the dead descriptor and is still inside its own
        // notification: mark the device lost now (no more writes, no
        // flushing), close it once that notification has returned.
        m_lost = true;
        m_port->clearError();
        QMetaObject::invokeMethod(this, &QtSerialLink::finishLoss, Qt::QueuedConnection);
        return;
    default:
        break;
    }
    m_port->clearError();
    Q_EMIT lineError();
}

void QtSerialLink::finishLoss() {
    // An open() since the loss has replaced the dead device.
    if (!m_lost)
        return;
    if (m_port->isOpen()) {
        m_closing = true;
        m_port->close();
        m_port->clearError();
        m_closing = false;
    }
    m_overflowReported = false;
    Q_EMIT deviceLost(SerialError{SerialError::Kind::Lost, EIO, m_device});
}

} // namespace korvane
