#include "MonitorCommand.h"

#include "ExitCodes.h"
#include "StatusCommand.h"
#include "StopSignals.h"

#include "history/HistoryCsv.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <limits>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace korvane::cli {
namespace {

// "07:05:09  Helligkeit 180 (Mittel 175)  Innen 21,5 °C  ..." from the CSV
// cells; a value the controller does not measure is "-".
QString terminalLine(const QStringList& c) {
    auto shown = [](const QString& v, const QString& unit) {
        return v.isEmpty() ? QStringLiteral("-") : v + unit;
    };
    auto yesNo = [](const QString& v) {
        return v.isEmpty()               ? QStringLiteral("-")
               : v == QLatin1String("1") ? QStringLiteral("ja")
                                         : QStringLiteral("nein");
    };
    const QString celsius = QStringLiteral(" \u00B0C");
    return QStringLiteral("%1  Helligkeit %2 (Mittel %3)  Innen %4  Au\u00DFen %5  Wind %6 "
                          "(max %7)  Regen %8  Alarm %9  Feuchte %10")
        .arg(c[0], shown(c[1], {}), shown(c[2], {}), shown(c[3], celsius), shown(c[4], celsius),
             shown(c[5], QStringLiteral(" km/h")), shown(c[6], QStringLiteral(" km/h")),
             yesNo(c[7]), yesNo(c[8]))
        .arg(shown(c[9], QStringLiteral(" %")));
}

// Opens the CSV to add rows: a new or empty file gets the heading first, and
// one that does not end in a line end (a run cut off mid-row) a line end.
bool openCsv(QFile& file, HistoryCsvWriter& writer) {
    const qint64 size = file.exists() ? file.size() : 0;
    bool endsInLineEnd = true;
    if (size > 0) {
        if (!file.open(QIODevice::ReadOnly) || !file.seek(size - 1))
            return false;
        endsInLineEnd = file.read(1) == "\n";
        file.close();
    }
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool started =
        size == 0 ? writer.writeHeader() : endsInLineEnd || file.write("\r\n") == 2;
    return started && file.flush();
}

} // namespace

void installStopSignals() {
    StopSignals::instance().install();
}

bool stopRequested() {
    return stopSignal() != 0;
}

void clearStopRequest() {
    StopSignals::instance().clear();
}

int runMonitorCommand(ControllerSession& session, const MonitorOptions& options, QTextStream& out,
                      QTextStream& err, std::function<qint64()> clock) {
    if (!clock)
        clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
    QFile file(options.csvPath);
    HistoryCsvWriter writer(file);
    const bool toFile = !options.csvPath.isEmpty();
    if (toFile) {
        // Rows are only ever added: a file that is not such a CSV stays as it is.
        if (const QString problem = historyCsvAppendProblem(options.csvPath); !problem.isEmpty()) {
            err << problem << '\n';
            return kExitFile;
        }
        if (!openCsv(file, writer)) {
            err << QStringLiteral("Kann %1 nicht schreiben: %2\n")
                       .arg(options.csvPath, file.errorString());
            return kExitFile;
        }
    }

    bool writeFailed = false;
    int rows = 0;
    qint64 lastMsecs = std::numeric_limits<qint64>::min();
    const auto record = [&](const ReplyValues& raw) {
        const qint64 now = std::max(clock(), lastMsecs + 1);
        lastMsecs = now;
        const LiveSample sample = sampleFromReply(raw, session.model(), now);
        ++rows;
        if (toFile) {
            writeFailed = writeFailed || !writer.writeRow(sample) || !file.flush();
        } else {
            out << terminalLine(HistoryCsvWriter::cells(sample)) << '\n';
            out.flush();
        }
    };
    // The model decides which values are measured, and in each poll the live
    // values come before the model text: rows start with the first poll that
    // named the model, with that poll's values.
    bool modelKnown = false;
    const auto live =
        QObject::connect(&session, &ControllerSession::liveValues, [&](const LiveDisplay& d) {
            if (modelKnown)
                record(d.raw);
        });
    const auto lost = QObject::connect(&session, &ControllerSession::connectionLost, [&] {
        err << QStringLiteral("Keine Verbindung zur Steuerung.\n");
        err.flush();
    });

    // As waitForController, but a stop request ends the wait too.
    session.setLogbookRewindOnPoll(false);
    std::optional<bool> modelValid;
    const auto polled =
        QObject::connect(&session, &ControllerSession::pollAnswered, [&](bool valid) {
            modelValid = valid;
            if (valid && !modelKnown) {
                modelKnown = true;
                record(session.lastLiveValues().raw);
            }
        });
    session.requestPoll();
    runUntil(options.timeoutSeconds, [&] { return modelValid.has_value() || stopRequested(); });
    QObject::disconnect(polled);
    if (!modelValid && !stopRequested())
        err << QStringLiteral("Keine Antwort von der Steuerung an %1 innerhalb von %2 s.\n")
                   .arg(session.link().device(), secondsText(options.timeoutSeconds));
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
