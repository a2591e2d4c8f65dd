#include "StopSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace korvane::cli {
namespace {

int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_received = 0;

extern "C" void onStopSignal(int signal) {
    if (g_received == 0)
        g_received = signal;
    const int saved = errno;
    const char byte = char(signal);
    // A full pipe only loses a repeat of a request that is already pending.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals& StopSignals::instance() {
    static StopSignals* const stops = new StopSignals(); // lives as long as the process
    return *stops;
}

void StopSignals::install() {
    if (!m_notifier) {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::onPipeReadable);
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int StopSignals::received() const {
    return g_received;
}

void StopSignals::clear() {
    g_received = 0;
}

void StopSignals::onPipeReadable() {
    char bytes[16];
    ssize_t n;
    while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            Q_EMIT stopRequested(int(bytes[i]));
    }
}

QString StopSignals::signalName(int signal) {
    switch (signal) {
    case SIGINT:
        return QStringLiteral("SIGINT (Strg+C)");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    default:
        return QStringLiteral("Signal %1").arg(signal);
    }
}

QString StopSignals::stoppedText(int signal) {
    return QStringLiteral("Abgebrochen durch %1.").arg(signalName(signal));
}

} // namespace korvane::cli
