#include "serial/TcpLink.h"

#include <QTcpSocket>
#include <QUrl>

#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace korvane {
namespace {

const QString kScheme = QStringLiteral("tcp://");
constexpr int kCloseFlushMs = 200;
// A peer that vanished without a word (power cut, cable) is noticed after
// about 10 s of silence plus three unanswered probes 5 s apart.
constexpr int kKeepAliveIdleS = 10;
constexpr int kKeepAliveIntervalS = 5;
constexpr int kKeepAliveProbes = 3;

// The error number that stands for a socket error, so that the error kinds and
// texts of the serial line apply.
int osErrorFor(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return ECONNREFUSED;
    case QAbstractSocket::HostNotFoundError:
        return EHOSTUNREACH;
    case QAbstractSocket::SocketTimeoutError:
        return ETIMEDOUT;
    case QAbstractSocket::RemoteHostClosedError:
        return ECONNRESET;
    case QAbstractSocket::SocketAccessError:
        return EACCES;
    case QAbstractSocket::NetworkError:
        return ENETUNREACH;
    default:
        return EIO;
    }
}

// A server that is not there (refused, unknown, unreachable or silent) is a
// port that was not found; anything else is a failure of the line.
SerialError connectError(const QString& device, QAbstractSocket::SocketError error) {
    const int osError = osErrorFor(error);
    const bool absent = osError == ECONNREFUSED || osError == EHOSTUNREACH ||
                        osError == ETIMEDOUT || osError == ENETUNREACH;
    return {absent ? SerialError::Kind::NotFound : SerialError::Kind::Io, osError, device};
}

} // namespace

bool TcpLink::isNetworkPort(const QString& device) {
    return device.startsWith(kScheme, Qt::CaseInsensitive);
}

std::optional<TcpLink::Address> TcpLink::parse(const QString& device) {
    if (!isNetworkPort(device))
        return std::nullopt;
    const QUrl url(device, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || url.port() <= 0 || !url.path().isEmpty() ||
        url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return std::nullopt;
    return Address{url.host(), static_cast<quint16>(url.port())};
}

TcpLink::TcpLink(QObject* parent) : SerialLink(parent), m_socket(new QTcpSocket(this)) {
    connect(m_socket, &QTcpSocket::readyRead, this,
            [this] { Q_EMIT bytesArrived(m_socket->bytesAvailable()); });
    connect(m_socket, &QTcpSocket::connected, this, &TcpLink::onConnected);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TcpLink::onSocketError);
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket->bytesToWrite() == 0)
            m_overflowReported = false;
    });
}

TcpLink::~TcpLink() {
    close();
}

SerialError TcpLink::open(const QString& device) {
    const bool background = m_lost && device == m_device;
    close();
    m_device = device;
    const auto address = parse(device);
    if (!address)
        return {SerialError::Kind::NotFound, EINVAL, device};
    m_socket->connectToHost(address->host, address->port);
    if (background) {
        m_active = true;
        return {};
    }
    if (!m_socket->waitForConnected(kConnectTimeoutMs)) {
        const auto error = m_socket->state() == QAbstractSocket::ConnectedState
                               ? QAbstractSocket::UnknownSocketError
                               : m_socket->error();
        dropSocket();
        return connectError(device, error == QAbstractSocket::UnknownSocketError
                                        ? QAbstractSocket::SocketTimeoutError
                                        : error);
    }
    m_active = true;
    return {};
}

void TcpLink::onConnected() {
    enableKeepAlive();
    m_lost = false;
    if (!m_unsent.isEmpty()) {
        m_socket->write(m_unsent);
        m_unsent.clear();
    }
}

void TcpLink::enableKeepAlive() {
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    const auto fd = static_cast<int>(m_socket->socketDescriptor());
    if (fd < 0)
        return;
    const int idle = kKeepAliveIdleS, interval = kKeepAliveIntervalS, probes = kKeepAliveProbes;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
}

void TcpLink::onSocketError() {
    if (m_closing || !m_active)
        return;
    // A connection that ended or could not be made again: the line is gone
    // until the next open, as with an unplugged adapter.
    const int osError = osErrorFor(m_socket->error());
    dropSocket();
    m_lost = true;
    Q_EMIT deviceLost(SerialError{SerialError::Kind::Lost, osError, m_device});
}

void TcpLink::dropSocket() {
    m_active = false;
    m_closing = true;
    m_socket->abort();
    m_closing = false;
    m_unsent.clear();
    m_overflowReported = false;
}

void TcpLink::close() {
    if (m_socket->state() == QAbstractSocket::ConnectedState && m_socket->bytesToWrite() > 0) {
        // Last words (leaving manual mode) must reach the controller.
        m_closing = true;
        m_socket->waitForBytesWritten(kCloseFlushMs);
        m_closing = false;
    }
    dropSocket();
    m_lost = false;
}

bool TcpLink::isOpen() const {
    const auto state = m_socket->state();
    return state == QAbstractSocket::ConnectedState || state == QAbstractSocket::HostLookupState ||
           state == QAbstractSocket::ConnectingState;
}

bool TcpLink::write(const QByteArray& bytes, WritePriority priority) {
    if (!isOpen())
        return false;
    if (bytes.isEmpty())
        return true;
    if (priority == WritePriority::Normal && bytesToWrite() + bytes.size() > kWriteQueueLimit) {
        if (!m_overflowReported) {
            m_overflowReported = true;
            Q_EMIT writeRefused(QStringLiteral("Output buffer is full. Please check comm status."));
        }
        return false;
    }
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_unsent += bytes;
        return true;
    }
    return m_socket->write(bytes) == bytes.size();
}

qint64 TcpLink::bytesToWrite() const {
    return m_socket->bytesToWrite() + m_unsent.size();
}

QByteArray TcpLink::readAll() {
    return m_socket->readAll();
}

} // namespace korvane
