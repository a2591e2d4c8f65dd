// korvane-sim: a simulated controller unit on a pseudo-terminal.

#include "SimOptions.h"
#include "Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

using namespace korvane;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int signal) {
    const char c = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

int fail(const QString& text) {
    err() << "korvane-sim: " << text << Qt::endl;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvane-sim"));

    QCommandLineParser p;
    addSimOptions(p);
    p.process(app);
    QString error;
    const std::optional<SimOptions> options = simOptionsFrom(p, &error);
    if (!options)
        return fail(error);

    Simulator sim(options->model);
    options->applyTo(sim);
    if (options->verbose)
        QObject::connect(&sim, &Simulator::trace,
                         [](const QString& line) { err() << line << Qt::endl; });
    else
        QObject::connect(&sim, &Simulator::trace, [](const QString& line) {
            // The hang-up fault's lines; SIGUSR1 reports its own below.
            if (line.startsWith(QLatin1String("line hung up")) ||
                line.startsWith(QLatin1String("line back on")))
                err() << line << Qt::endl;
        });

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return fail(QStringLiteral("cannot set up signal handling"));
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char c = 0;
        if (::read(g_signalPipe[0], &c, 1) == 1 && c == SIGUSR1) {
            // Pull or replug the cable, for demonstrations.
            sim.setAnswering(!sim.answering());
            err() << (sim.answering() ? "line connected" : "line unplugged") << Qt::endl;
            return;
        }
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    sigaction(SIGUSR1, &sa, nullptr);

    if (!sim.start(options->linkPath, &error))
        return fail(error);

    QTextStream out(stdout);
    out << "Korvane simulator on " << sim.slavePath();
    if (!options->linkPath.isEmpty())
        out << " (link " << options->linkPath << ")";
    out << Qt::endl;
    out << "Model \"" << options->model.text() << "\"" << (sim.pty().paced() ? ", paced" : "")
        << Qt::endl;

    const int rc = app.exec();
    sim.stop(); // removes the link
    return rc;
}
