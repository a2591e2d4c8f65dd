#include "SimPty.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace korvane {

namespace {

constexpr int kRetryMs = 10;     // a full line buffer or a read error is retried after this
constexpr double kMaxBurst = 32; // paced bytes that may pile up while the line idles

QString osError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

// Seconds since the clock's last restart, restarting it without losing the
// fraction of a millisecond that QElapsedTimer::restart() would drop.
double takeElapsedSeconds(QElapsedTimer& clock) {
    const qint64 ns = clock.nsecsElapsed();
    clock.start();
    return ns / 1e9;
}

bool fail(QString* error, const QString& text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

SimPty::SimPty(QObject* parent) : QObject(parent) {
    m_pumpTimer.setSingleShot(true);
    connect(&m_pumpTimer, &QTimer::timeout, this, [this] {
        if (m_pausing && !m_output.empty()) {
            m_output.front().pauseBeforeMs = 0;
            m_pausing = false;
        }
        pump();
    });
    m_inputTimer.setInterval(kPaceTickMs);
    connect(&m_inputTimer, &QTimer::timeout, this, &SimPty::releaseInput);
}

SimPty::~SimPty() {
    close();
}

bool SimPty::open(QString* error) {
    if (isOpen())
        return true;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return fail(error, osError("posix_openpt"));
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        const QString text = osError("grantpt/unlockpt/ptsname");
        ::close(master);
        return fail(error, text);
    }
    // Held open for the simulator's lifetime: without it the master reads EIO
    // each time the program closes its end.
    const int keeper = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (keeper < 0) {
        const QString text = osError("open slave");
        ::close(master);
        return fail(error, text);
    }
    termios tio{};
    if (tcgetattr(keeper, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(keeper, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(keeper, F_SETFD, FD_CLOEXEC);

    m_master = master;
    m_slaveKeeper = keeper;
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimPty::readMaster);
    return true;
}

void SimPty::close() {
    if (!m_linkPath.isEmpty()) {
        if (QFileInfo(m_linkPath).symLinkTarget() == QFileInfo(m_slavePath).absoluteFilePath() ||
            QFile::symLinkTarget(m_linkPath) == m_slavePath)
            QFile::remove(m_linkPath);
        m_linkPath.clear();
    }
    if (m_notifier) {
        // close() may run inside the notifier's own activation (a hang-up).
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    m_master = m_slaveKeeper = -1;
    m_output.clear();
    m_input.clear();
    m_pumpTimer.stop();
    m_inputTimer.stop();
    m_pausing = false;
}

bool SimPty::createLink(const QString& path, QString* error) {
    if (!isOpen())
        return fail(error, QStringLiteral("pseudo-terminal not open"));
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (!QFile::remove(path))
            return fail(error, QStringLiteral("cannot replace link %1").arg(path));
    } else if (info.exists()) {
        return fail(error, QStringLiteral("%1 exists and is not a symbolic link").arg(path));
    }
    if (::symlink(m_slavePath.toLocal8Bit().constData(), path.toLocal8Bit().constData()) != 0)
        return fail(error, osError("symlink"));
    m_linkPath = path;
    return true;
}

void SimPty::setFaults(const SimFaults& faults) {
    m_faults = faults;
    m_hangupAt = faults.hangupAfterBytes >= 0 ? m_bytesSent + faults.hangupAfterBytes : -1;
}

void SimPty::hangUp() {
    m_hangupAt = -1;
    const QString link = m_linkPath;
    close();
    Q_EMIT hungUp();
    QTimer::singleShot(kReplugMs, this, [this, link] {
        if (isOpen() || !open())
            return;
        if (!link.isEmpty())
            createLink(link);
        Q_EMIT replugged();
    });
}

void SimPty::setPaced(bool paced) {
    m_paced = paced;
    if (!paced && !m_input.isEmpty()) {
        const QByteArray pending = std::exchange(m_input, {});
        m_inputTimer.stop();
        Q_EMIT received(pending);
    }
    pump();
}

void SimPty::setAnswering(bool answering) {
    m_answering = answering;
    if (!answering) {
        m_output.clear();
        m_input.clear();
        m_inputTimer.stop();
        m_pumpTimer.stop();
        m_pausing = false;
        m_stoppedByPeer = false;
    }
}

qsizetype SimPty::queuedOutput() const {
    qsizetype n = 0;
    for (const Chunk& c : m_output)
        n += c.bytes.size();
    return n;
}

// --- receiving -------------------------------------------------------------------------

void SimPty::readMaster() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_bytesReceived += n;
            if (!m_answering || m_faults.silent)
                continue;
            QByteArray bytes = takeFlowControl(QByteArray(buffer, n));
            if (bytes.isEmpty())
                continue;
            if (m_paced) {
                if (m_input.isEmpty() && !m_inputTimer.isActive()) {
                    m_inClock.start();
                    m_inBudget = 1; // the first byte arrives one byte time after it was sent
                    m_inputTimer.start();
                }
                m_input.append(bytes);
            } else {
                Q_EMIT received(bytes);
                if (!isOpen()) // the reply hung the line up
                    return;
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        // EIO without a slave open should not happen with the keeper; do not
        // spin on it.
        m_notifier->setEnabled(false);
        QTimer::singleShot(100, this, [this] {
            if (m_notifier)
                m_notifier->setEnabled(true);
        });
        return;
    }
}

QByteArray SimPty::takeFlowControl(QByteArray bytes) {
    // XOFF (DC3) stops the replies until XON (DC1), as on the real line.
    bool changed = false;
    for (char c : bytes) {
        if (c == kXoff || c == kXon) {
            m_stoppedByPeer = c == kXoff;
            changed = true;
        }
    }
    if (!changed)
        return bytes;
    bytes.removeIf([](char c) { return c == kXoff || c == kXon; });
    if (!m_stoppedByPeer)
        pump();
    return bytes;
}

void SimPty::releaseInput() {
    if (m_input.isEmpty()) {
        m_inputTimer.stop();
        return;
    }
    m_inBudget += takeElapsedSeconds(m_inClock) * kBytesPerSecond;
    const qsizetype n = std::min(qsizetype(std::floor(m_inBudget)), m_input.size());
    if (n <= 0)
        return;
    m_inBudget -= double(n);
    const QByteArray chunk = m_input.left(n);
    m_input.remove(0, n);
    Q_EMIT received(chunk);
}

// --- sending ----------------------------------------------------------------------------

QByteArray SimPty::junk() {
    // Line noise that can never form a frame marker.
    static const char kNoise[] = "#*~?+!%0123456789\r\n";
    QByteArray out;
    const int n = 1 + int(m_random.bounded(6));
    for (int i = 0; i < n; ++i)
        out.append(kNoise[m_random.bounded(int(sizeof kNoise - 1))]);
    return out;
}

void SimPty::sendFrame(const QByteArray& frame) {
    if (!m_answering || m_faults.silent || !isOpen())
        return;
    if (m_faults.junk)
        m_output.push_back({junk(), 0});
    if (m_faults.split && frame.size() > 1) {
        const int pieces = 2 + int(m_random.bounded(3));
        qsizetype start = 0;
        for (int i = 0; i < pieces && start < frame.size(); ++i) {
            const qsizetype rest = frame.size() - start;
            const qsizetype len = i + 1 == pieces ? rest : 1 + m_random.bounded(int(rest));
            m_output.push_back({frame.mid(start, len), i == 0 ? 0 : 5 + int(m_random.bounded(16))});
            start += len;
        }
    } else {
        m_output.push_back({frame, 0});
    }
    pump();
}

void SimPty::sendRaw(const QByteArray& bytes) {
    if (!m_answering || !isOpen())
        return;
    m_output.push_back({bytes, 0});
    pump();
}

qsizetype SimPty::writeMaster(const char* data, qsizetype size) {
    const ssize_t n = ::write(m_master, data, size_t(size));
    if (n >= 0)
        return n;
    return 0; // full (EAGAIN) or a passing error: try again later
}

void SimPty::schedulePump(int ms) {
    if (!m_pumpTimer.isActive() || m_pumpTimer.remainingTime() > ms)
        m_pumpTimer.start(ms);
}

void SimPty::pump() {
    if (!isOpen() || m_pausing || m_stoppedByPeer)
        return;
    if (m_paced && !m_outClock.isValid())
        m_outClock.start();
    if (m_paced) {
        m_outBudget =
            std::min(m_outBudget + takeElapsedSeconds(m_outClock) * kBytesPerSecond, kMaxBurst);
    }
    bool wrote = false;
    while (!m_output.empty()) {
        Chunk& c = m_output.front();
        if (c.pauseBeforeMs > 0) {
            m_pausing = true;
            m_pumpTimer.start(c.pauseBeforeMs);
            return;
        }
        qsizetype want = c.bytes.size();
        if (m_paced)
            want = std::min(want, qsizetype(std::floor(m_outBudget)));
        if (m_hangupAt >= 0) {
            // The line dies after the set byte, wherever in a frame it falls.
            if (m_bytesSent >= m_hangupAt) {
                hangUp();
                return;
            }
            want = std::min(want, qsizetype(m_hangupAt - m_bytesSent));
        }
        if (want <= 0) {
            schedulePump(kPaceTickMs);
            return;
        }
        const qsizetype n = writeMaster(c.bytes.constData(), want);
        if (n > 0) {
            wrote = true;
            m_bytesSent += n;
            if (m_paced)
                m_outBudget -= double(n);
            c.bytes.remove(0, n);
        }
        if (c.bytes.isEmpty())
            m_output.pop_front();
        if (m_hangupAt >= 0 && m_bytesSent >= m_hangupAt) {
            hangUp();
            return;
        }
        if (n < want) {
            schedulePump(kRetryMs);
            return;
        }
    }
    if (m_output.empty()) {
        // An idle line sends the next byte at once.
        m_outBudget = 1;
        m_outClock.invalidate();
        if (wrote)
            Q_EMIT outputDrained();
    }
}

} // namespace korvane
