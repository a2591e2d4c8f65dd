#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace korvane::cli {

// SIGINT and SIGTERM, turned from an interruption into a request that the
// event loop handles: the handler only writes the signal number into a pipe,
// whose read end a socket notifier watches. The running command then ends at
// a point of its choosing (a send at the end of the step on the line) and
// says so; no command is cut off in the middle of a write.
class StopSignals : public QObject {
    Q_OBJECT
public:
    static StopSignals& instance();

    // Installs the handlers (again, after someone else replaced them).
    void install();
    // The first stop signal received (SIGINT or SIGTERM), 0 while none came.
    int received() const;
    // Forgets a received signal (tests run several commands in one process).
    void clear();

    // "SIGINT (Strg+C)" or "SIGTERM", for the messages.
    static QString signalName(int signal);
    // "Abgebrochen durch SIGINT (Strg+C)."
    static QString stoppedText(int signal);

Q_SIGNALS:
    // Emitted from the event loop, once per signal received.
    void stopRequested(int signal);

private:
    StopSignals() = default;
    void onPipeReadable();

    QSocketNotifier* m_notifier = nullptr;
};

// Shorthands for the commands: the first signal received, 0 if none.
inline int stopSignal() {
    return StopSignals::instance().received();
}

} // namespace korvane::cli
