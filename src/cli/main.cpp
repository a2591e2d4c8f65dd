#include "CliOptions.h"
#include "DiffCommand.h"
#include "ExitCodes.h"
#include "HistoryCommand.h"
#include "LogbookCommand.h"
#include "MonitorCommand.h"
#include "PortsCommand.h"
#include "StatusCommand.h"
#include "StopSignals.h"
#include "TransferCommands.h"

#include "files/FileAccess.h"
#include "files/SettingsFile.h"
#include "history/HistoryCsv.h"
#include "history/HistoryStore.h"
#include "serial/PortLink.h"
#include "session/ControllerSession.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QTextStream>

#include <unistd.h>

using namespace korvane;

namespace {

// Runs a command that talks to the controller over the open port.
int runOnPort(ControllerSession& session, const cli::CliOptions& options, ParameterSet& fileSet,
              QTextStream& out, QTextStream& err) {
    const QString& command = options.command;
    const QString file = options.arguments.value(0);
    if (command == QLatin1String("monitor")) {
        // The history database records what the monitor sees; its problems
        // are told and the monitor goes on.
        std::unique_ptr<HistoryStore> store;
        if (!options.dbPath.isEmpty() && !options.noHistory) {
            store = std::make_unique<HistoryStore>();
            QObject::connect(store.get(), &HistoryStore::problem, [&](const QString& text) {
                err << "korvane-cli: " << text << '\n';
                err.flush();
            });
            store->open(options.dbPath);
            store->recordFrom(session);
        }
        return cli::runMonitorCommand(
            session, {options.csvPath, options.durationSeconds, options.timeoutSeconds}, out, err);
    }
    if (command == QLatin1String("status"))
        return cli::runStatusCommand(session, options.timeoutSeconds, options.json, out, err);
    if (command == QLatin1String("read"))
        return cli::runReadCommand(session, file, options.timeoutSeconds, out, err);
    if (command == QLatin1String("send"))
        return cli::runSendCommand(session, fileSet, file, options.verify, options.timeoutSeconds,
                                   out, err);
    if (command == QLatin1String("diff"))
        return cli::runControllerDiff(session, fileSet, options.timeoutSeconds, out, err);
    return cli::runLogbookCommand(session, file, options.list, options.timeoutSeconds, out, err);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QBuffer afterLoss; // takes err's text once the port is lost: outlives err
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QStringList args = app.arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << cli::usageText();
        return 0;
    }
    QString usageError;
    const auto options = cli::parseCliOptions(args, &usageError);
    if (!options) {
        err << "korvane-cli: " << usageError << "\n\n" << cli::usageText();
        // diff keeps 1 for "different".
        return args.contains(QStringLiteral("diff")) ? int(cli::kDiffTrouble) : cli::kExitUsage;
    }

    const QString& command = options->command;
    const QString file = options->arguments.value(0);
    const QStringList commands{QStringLiteral("status"),  QStringLiteral("read"),
                               QStringLiteral("send"),    QStringLiteral("logbook"),
                               QStringLiteral("diff"),    QStringLiteral("ports"),
                               QStringLiteral("monitor"), QStringLiteral("history")};
    if (!commands.contains(command)) {
        err << "korvane-cli: unbekannter Befehl " << command << "\n\n" << cli::usageText();
        return cli::kExitUsage;
    }
    if ((command == QLatin1String("read") || command == QLatin1String("send")) && file.isEmpty()) {
        err << "korvane-cli: " << command << QStringLiteral(" braucht einen Dateinamen\n");
        return cli::kExitUsage;
    }
    if (command == QLatin1String("logbook") && options->list == !file.isEmpty()) {
        err << cli::logbookUsageError() << '\n';
        return cli::kExitUsage;
    }

    if (command == QLatin1String("history"))
        return cli::runHistoryCommand({options->dbPath, options->from, options->to,
                                       options->minutes, options->csvPath, options->thresholdsPath},
                                      out, err);
    if (command == QLatin1String("ports")) {
        QString note;
        const QString ini = cli::settingsPath(&note);
        if (!note.isEmpty())
            err << "korvane-cli: " << note << '\n';
        return cli::runPortsCommand(ini, options->json, out, err);
    }
    if ((options->verify && command != QLatin1String("send")) ||
        (!options->scope.isEmpty() && command != QLatin1String("diff"))) {
        err << QStringLiteral("korvane-cli: --verify geh\u00F6rt zu send, --scope zu diff\n");
        return command == QLatin1String("diff") ? int(cli::kDiffTrouble) : cli::kExitUsage;
    }
    if (command == QLatin1String("diff")) {
        if (const auto settled = cli::runDiffWithoutPort(*options, out, err))
            return *settled;
    }

    // The file a command reads or writes is checked before the port is
    // opened, so that a bad file costs no transfer.
    ParameterSet fileSet;
    if (command == QLatin1String("send") || command == QLatin1String("diff")) {
        const LoadResult loaded = loadSettingsFile(file, fileSet);
        if (!loaded.ok()) {
            err << cli::loadFailureText(loaded) << '\n';
            return command == QLatin1String("diff") ? int(cli::kDiffTrouble) : cli::kExitFile;
        }
        for (const QString& warning : loaded.warnings)
            err << warning << '\n';
    }
    const bool writesFile =
        command == QLatin1String("read") ||
        (command == QLatin1String("logbook") && !options->list && !file.isEmpty());
    const bool logsCsv = command == QLatin1String("monitor") && !options->csvPath.isEmpty();
    const QString written = logsCsv ? options->csvPath : file;
    if (writesFile || logsCsv) {
        // A monitor log is written in place (it may be a pipe) and only
        // appended to; the others replace their file once complete.
        QString problem = logsCsv ? fileWriteProblem(written) : fileReplaceProblem(written);
        if (problem.isEmpty() && logsCsv)
            problem = historyCsvAppendProblem(written);
        if (!problem.isEmpty()) {
            err << problem << '\n';
            return cli::kExitFile;
        }
    }

    QString iniWarning;
    const QString device = cli::resolveDevice(options->port, &iniWarning);
    if (!iniWarning.isEmpty())
        err << "korvane-cli: " << iniWarning << '\n';

    // From here on SIGINT and SIGTERM are requests that the commands handle:
    // nothing half-sent, no half-written file, a message.
    cli::StopSignals::instance().install();
    PortLink link;
    ControllerSession session(&link);
    QObject::connect(&session, &ControllerSession::userMessage, [&](const QString& text) {
        err << text.trimmed() << '\n';
        err.flush();
    });
    if (!session.openDevice(device)) {
        err << serialErrorText(session.openError()) << '\n';
        return command == QLatin1String("diff") ? int(cli::kDiffTrouble)
                                                : cli::exitCodeFor(session.openError());
    }

    // A lost port ends the command at once. Its message is the one report:
    // QCoreApplication::exit() ends every wait of the command (all event loops
    // of this thread, now and later), and what the command would still say
    // about its interrupted work only repeats the loss in other words. A
    // command that fails writes no file, as after any other failure.
    bool lost = false;
    QObject::connect(&session, &ControllerSession::portLost, [&](const SerialError& error) {
        if (lost)
            return;
        lost = true;
        if (::isatty(STDERR_FILENO))
            err << '\n'; // after a progress line
        err << serialErrorText(error) << '\n';
        err.flush();
        afterLoss.open(QIODevice::WriteOnly);
        err.setDevice(&afterLoss);
        QCoreApplication::exit(cli::kExitPortLost);
    });
    const int code = runOnPort(session, *options, fileSet, out, err);
    if (lost)
        return command == QLatin1String("diff") ? int(cli::kDiffTrouble) : cli::kExitPortLost;
    // A command that a stop signal cut short exits as the signal says; one
    // that finished (a complete diff included) keeps its own code.
    const bool failed = command == QLatin1String("diff") ? code == cli::kDiffTrouble : code != 0;
    if (failed && cli::stopSignal() && command != QLatin1String("monitor"))
        return cli::exitCodeForStop(cli::stopSignal());
    return code;
}
