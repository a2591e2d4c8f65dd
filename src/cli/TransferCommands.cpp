#include "TransferCommands.h"

#include "ExitCodes.h"
#include "ProgressPrinter.h"
#include "StatusCommand.h"
#include "StopSignals.h"

#include "files/SettingsFile.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterDiff.h"
#include "session/ParameterTransfer.h"

namespace korvane::cli {
namespace {

struct Outcome {
    bool done = false;
    bool ok = false;
    QString message;
};

// Runs one sequence to its end. The sequence ends by itself when the
// controller falls silent, so no further limit is needed here; a read-all
// gives up after `timeoutSeconds` of silence. A stop signal ends a read-all
// at once and a send-all after the step on the line.
Outcome runSequence(ParameterTransfer& transfer, bool send, double timeoutSeconds,
                    QTextStream& err) {
    Outcome outcome;
    transfer.setTimeouts(int(timeoutSeconds * 1000), ParameterTransfer::kAckGraceMs);
    const QString verb = send ? QStringLiteral("Senden") : QStringLiteral("Lesen");
    const auto stop = [&transfer, &err, send, verb](int signal) {
        if (send)
            err << QStringLiteral("\n%1 empfangen: das Senden endet nach dem Schritt, der gerade "
                                  "\u00FCbertragen wird.\n")
                       .arg(StopSignals::signalName(signal));
        err.flush();
        transfer.stop(
            QStringLiteral("%1 abgebrochen durch %2").arg(verb, StopSignals::signalName(signal)));
    };
    const auto onSignal =
        QObject::connect(&StopSignals::instance(), &StopSignals::stopRequested, &transfer, stop);
    ProgressPrinter printer(err, verb);
    QObject::connect(&transfer, &ParameterTransfer::progress,
                     [&](int value, int maximum, bool visible) {
                         if (visible)
                             printer.update(value, maximum);
                     });
    auto finished = [&](bool ok, const QString& message) { outcome = {true, ok, message}; };
    QObject::connect(&transfer, &ParameterTransfer::readAllFinished, finished);
    QObject::connect(&transfer, &ParameterTransfer::sendAllFinished, finished);
    const bool started = send ? transfer.startSendAll() : transfer.startReadAll();
    if (!started)
        return {true, false, QString()};
    runUntil(24 * 3600, [&] { return outcome.done; });
    QObject::disconnect(onSignal);
    if (outcome.ok)
        printer.update(1, 1);
    printer.finish();
    return outcome;
}

Outcome readInto(ControllerSession& session, ParameterSet& params, double timeoutSeconds,
                 QTextStream& err) {
    ParameterTransfer transfer(session, params);
    Outcome outcome = runSequence(transfer, false, timeoutSeconds, err);
    if (!outcome.ok && outcome.message.isEmpty())
        outcome.message = QStringLiteral("Lesen nicht m\u00F6glich");
    return outcome;
}

// The controller was found; a stop signal before the transfer begins ends
// the command with nothing sent or read.
bool stoppedBeforeStart(QTextStream& err) {
    if (!stopSignal())
        return false;
    err << StopSignals::stoppedText(stopSignal()) << '\n';
    return true;
}

} // namespace

int readEverything(ControllerSession& session, ParameterSet& params, double timeoutSeconds,
                   QTextStream& err) {
    if (stoppedBeforeStart(err))
        return kExitTransfer;
    const Outcome outcome = readInto(session, params, timeoutSeconds, err);
    if (outcome.ok)
        return 0;
    err << outcome.message << '\n';
    return kExitTransfer;
}

int runReadCommand(ControllerSession& session, const QString& file, double timeoutSeconds,
                   QTextStream& out, QTextStream& err) {
    ParameterSet params;
    if (!waitForController(session, timeoutSeconds, err))
        return kExitTransfer;
    if (const int code = readEverything(session, params, timeoutSeconds, err))
        return code;
    const SaveResult saved = saveSettingsFile(file, params);
    if (!saved.ok) {
        err << saved.errorText << '\n';
        return kExitFile;
    }
    out << QStringLiteral("Alle Daten gelesen und in %1 gespeichert.\n").arg(file);
    return 0;
}

int runSendCommand(ControllerSession& session, ParameterSet& params, const QString& file,
                   bool verify, double timeoutSeconds, QTextStream& out, QTextStream& err) {
    // Everything in the file goes to the controller.
    applyChangedEvent(params, ChangedEvent::Startup);
    if (!waitForController(session, timeoutSeconds, err) || stoppedBeforeStart(err))
        return kExitTransfer;
    // The transfer that sent must be gone before the read-back, or it would
    // store the replies into what was sent.
    const Outcome outcome = [&] {
        ParameterTransfer transfer(session, params);
        transfer.setResendAdvice(QStringLiteral("Bitte senden Sie die Datei %1 erneut.").arg(file));
        return runSequence(transfer, true, timeoutSeconds, err);
    }();
    if (!outcome.ok) {
        // The date guard has already spoken through the session's messages.
        if (!outcome.message.isEmpty())
            err << outcome.message << '\n';
        return kExitTransfer;
    }
    if (!verify) {
        out << QStringLiteral("Alle Daten aus %1 zur Steuerung gesendet.\n").arg(file);
        return 0;
    }
    ParameterSet readBack;
    const Outcome check = stopSignal()
                              ? Outcome{true, false, StopSignals::stoppedText(stopSignal())}
                              : readInto(session, readBack, timeoutSeconds, err);
    if (!check.ok) {
        QString why = check.message;
        if (!why.endsWith(QLatin1Char('.')))
            why += QLatin1Char('.');
        err << QStringLiteral("Alle Daten aus %1 wurden vollst\u00E4ndig gesendet und von der "
                              "Steuerung quittiert, aber die Pr\u00FCfung danach ist "
                              "fehlgeschlagen: %2 Ob die Steuerung alles richtig gespeichert hat, "
                              "ist nicht gepr\u00FCft.\n")
                   .arg(file, why);
        return kExitSentUnverified;
    }
    // Compared as the file holds them: what it cannot tell apart is no difference.
    const QStringList differences =
        parameterDifferences(asControllerKeeps(asSettingsFileHolds(params)),
                             asControllerKeeps(asSettingsFileHolds(readBack)), session.model());
    if (!differences.isEmpty()) {
        err << QStringLiteral("Pr\u00FCfung fehlgeschlagen: die Steuerung h\u00E4lt nicht, was "
                              "gesendet wurde (gesendet \u2192 gelesen):\n")
            << differences.join(u'\n') << '\n';
        return kExitTransfer;
    }
    out << QStringLiteral("Alle Daten aus %1 zur Steuerung gesendet und gepr\u00FCft.\n").arg(file);
    return 0;
}

} // namespace korvane::cli
