#include "MonitorCommand.h"

#include "ExitCodes.h"
#include "StatusCommand.h"

#include "history/HistoryCsv.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <limits>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace korvane::cli {
namespace {

volatile std::sig_atomic_t g_stop = 0;
// The handler writes a byte here so that a waiting event loop wakes up and
// sees the request; nothing has to look for it periodically.
int g_wakePipe[2] = {-1, -1};

extern "C" void onStopSignal(int) {
    g_stop = 1;
    if (g_wakePipe[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_wakePipe[1], &c, 1);
    }
}

// "07:05:09  Helligkeit 180 (Mittel 175)  Innen 21,5 °C  ..." from the CSV cells.
QString terminalLine(const QStringList& c) {
    auto orDash = [](const QString& v, const QString& unit) {
        return v.isEmpty() ? QStringLiteral("-") : v + unit;
    };
    auto yesNo = [](const QString& v) {
        return v == QLatin1String("1") ? QStringLiteral("ja") : QStringLiteral("nein");
    };
    return QStringLiteral("%1  Helligkeit %2 (Mittel %3)  Innen %4  Au\u00DFen %5  Wind %6 km/h "
                          "(max %7)  Regen %8  Alarm %9  Feuchte %10")
        .arg(c[0], c[1], c[2], orDash(c[3], QStringLiteral(" \u00B0C")),
             orDash(c[4], QStringLiteral(" \u00B0C")), c[5], c[6], yesNo(c[7]), yesNo(c[8]))
        .arg(orDash(c[9], QStringLiteral(" %")));
}

} // namespace

void installStopSignals() {
    static QSocketNotifier* wake = nullptr;
    if (!wake &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_wakePipe) == 0) {
        wake =
            new QSocketNotifier(g_wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(wake, &QSocketNotifier::activated, [] {
            char bytes[16];
            while (::read(g_wakePipe[0], bytes, sizeof bytes) > 0) {
            }
        });
    }
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

bool stopRequested() {
    return g_stop != 0;
}

void clearStopRequest() {
    g_stop = 0;
}

int runMonitorCommand(ControllerSession& session, const MonitorOptions& options, QTextStream& out,
                      QTextStream& err, std::function<qint64()> clock) {
    if (!clock)
        clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    QFile file(options.csvPath);
    HistoryCsvWriter writer(file);
    const bool toFile = !options.csvPath.isEmpty();
    if (toFile && !(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && writer.writeHeader() &&
                    file.flush())) {
        err << QStringLiteral("Kann %1 nicht schreiben: %2\n")
                   .arg(options.csvPath, file.errorString());
        return kExitFile;
    }

    bool writeFailed = false;
    int rows = 0;
    qint64 lastMsecs = std::numeric_limits<qint64>::min();
    const auto live =
        QObject::connect(&session, &ControllerSession::liveValues, [&](const LiveDisplay& d) {
            const qint64 now = std::max(clock(), lastMsecs + 1);
            lastMsecs = now;
            const LiveSample sample = sampleFromReply(d.raw, now);
            ++rows;
            if (toFile) {
                writeFailed = writeFailed || !writer.writeRow(sample) || !file.flush();
            } else {
                out << terminalLine(HistoryCsvWriter::cells(sample)) << '\n';
                out.flush();
            }
        });
    const auto lost = QObject::connect(&session, &ControllerSession::connectionLost, [&] {
        err << QStringLiteral("Keine Verbindung zur Steuerung.\n");
        err.flush();
    });

    // As waitForController, but a stop request ends the wait too.
    session.setLogbookRewindOnPoll(false);
    std::optional<bool> modelValid;
    const auto polled = QObject::connect(&session, &ControllerSession::pollAnswered,
                                         [&](bool valid) { modelValid = valid; });
    session.requestPoll();
    runUntil(options.timeoutSeconds, [&] { return modelValid.has_value() || stopRequested(); });
    QObject::disconnect(polled);
    if (!modelValid && !stopRequested())
        err << QStringLiteral("Keine Antwort von der Steuerung an %1 innerhalb von %2 s.\n")
                   .arg(session.link().device())
                   .arg(options.timeoutSeconds);
    const bool answered = modelValid.value_or(false) || stopRequested();
    if (answered) {
        const int seconds = options.durationSeconds > 0 ? options.durationSeconds
                                                        : std::numeric_limits<int>::max() / 1000;
        runUntil(seconds, [&] { return stopRequested() || writeFailed; });
    }
    QObject::disconnect(live);
    QObject::disconnect(lost);
    if (toFile)
        file.close();
    if (writeFailed) {
        err << QStringLiteral("Kann %1 nicht schreiben: %2\n")
                   .arg(options.csvPath, file.errorString());
        return kExitFile;
    }
    if (toFile)
        err << QStringLiteral("%1 Zeilen in %2\n").arg(rows).arg(options.csvPath);
    return answered ? kExitOk : kExitTransfer;
}

} // namespace korvane::cli
