// korvane-sim: a simulated controller unit on a pseudo-terminal.

#include "Simulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
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

bool countOption(const QCommandLineParser& p, const QString& name, int* value) {
    if (!p.isSet(name))
        return true;
    bool ok = false;
    *value = p.value(name).toInt(&ok);
    return ok && *value >= 1 && *value <= 8;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvane-sim"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Simulated Korvane controller unit on a pseudo-terminal. Open the printed device "
        "(or --link PATH) as the serial port. SIGUSR1 pulls or replugs the cable; "
        "SIGINT or SIGTERM ends the simulator."));
    p.addHelpOption();
    p.addOptions({
        {QStringLiteral("model"), QStringLiteral("Model text of the \"smo\" reply."),
         QStringLiteral("TEXT")},
        {QStringLiteral("basic"), QStringLiteral("Basic model: switch times only.")},
        {QStringLiteral("sensor"), QStringLiteral("Sensor model.")},
        {QStringLiteral("sensor-keypress"),
         QStringLiteral("Sensor model with key-press automatic.")},
        {QStringLiteral("conservatory"), QStringLiteral("Conservatory model (default).")},
        {QStringLiteral("motors"), QStringLiteral("Motor count 1..8 (default 8)."),
         QStringLiteral("N")},
        {QStringLiteral("slots"),
         QStringLiteral("Switch-time slots per motor and day 1..8 (default 8)."),
         QStringLiteral("N")},
        {QStringLiteral("date"),
         QStringLiteral("Fixed controller date, e.g. 01.01.00 (radio clock not decoded)."),
         QStringLiteral("DD.MM.YY")},
        {QStringLiteral("link"), QStringLiteral("Create a symbolic link to the device at PATH."),
         QStringLiteral("PATH")},
        {QStringLiteral("paced"),
         QStringLiteral("Hold both directions to 960 bytes/s (9600 baud).")},
        {QStringLiteral("fault"),
         QStringLiteral("bad-checksum, junk, split, silent, bad-check-share=PERCENT, "
                        "bad-check=CODE[:N], drop=CODE[:N], refuse=CODE[:N], corrupt=CODE[:N] "
                        "or hangup=N (may be repeated; N picks the n-th frame, request or write "
                        "of CODE; corrupt stores a per-motor block or single value one step off "
                        "and acknowledges it; hangup closes the pseudo-terminal once N bytes "
                        "have been sent, as an unplugged USB adapter, and opens a new one a "
                        "second later)."),
         QStringLiteral("KIND")},
        {QStringLiteral("log-entries"),
         QStringLiteral("Logbook entries at start 0..2000 (default 42)."), QStringLiteral("N")},
        {QStringLiteral("alarm"), QStringLiteral("Report the alarm input as triggered.")},
        {QStringLiteral("verbose"),
         QStringLiteral("Print what the controller does with the input.")},
    });
    p.process(app);

    int motors = 8, slots = 8;
    if (!countOption(p, QStringLiteral("motors"), &motors))
        return fail(QStringLiteral("--motors needs a number from 1 to 8"));
    if (!countOption(p, QStringLiteral("slots"), &slots))
        return fail(QStringLiteral("--slots needs a number from 1 to 8"));

    const int variants =
        int(p.isSet(QStringLiteral("basic"))) + int(p.isSet(QStringLiteral("sensor"))) +
        int(p.isSet(QStringLiteral("sensor-keypress"))) +
        int(p.isSet(QStringLiteral("conservatory"))) + int(p.isSet(QStringLiteral("model")));
    if (variants > 1)
        return fail(QStringLiteral(
            "choose one of --model, --basic, --sensor, --sensor-keypress, --conservatory"));

    SimModel model(SimModel::Variant::Conservatory, motors, slots);
    if (p.isSet(QStringLiteral("basic")))
        model = SimModel(SimModel::Variant::Basic, motors, slots);
    else if (p.isSet(QStringLiteral("sensor")))
        model = SimModel(SimModel::Variant::Sensor, motors, slots);
    else if (p.isSet(QStringLiteral("sensor-keypress")))
        model = SimModel(SimModel::Variant::SensorKeyPress, motors, slots);
    else if (p.isSet(QStringLiteral("model"))) {
        QString text = p.value(QStringLiteral("model"));
        if (p.isSet(QStringLiteral("motors")) && text.size() >= 11)
            text[10] = QChar(u'0' + motors);
        if (p.isSet(QStringLiteral("slots")) && text.size() >= 13)
            text[12] = QChar(u'0' + slots);
        model = SimModel::fromText(text);
    }

    SimFaults faults;
    for (const QString& name : p.values(QStringLiteral("fault"))) {
        const auto f = SimFaults::fromName(name);
        if (!f)
            return fail(QStringLiteral("unknown fault \"%1\"").arg(name));
        faults.merge(*f);
    }

    Simulator sim(model);
    if (p.isSet(QStringLiteral("date"))) {
        const QString date = p.value(QStringLiteral("date"));
        if (!QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d$"))
                 .match(date)
                 .hasMatch())
            return fail(QStringLiteral("--date needs the form DD.MM.YY"));
        sim.controller().setDateText(date);
    }
    if (p.isSet(QStringLiteral("log-entries"))) {
        bool ok = false;
        const int n = p.value(QStringLiteral("log-entries")).toInt(&ok);
        if (!ok || n < 0 || n > SimLogbook::kCapacity)
            return fail(QStringLiteral("--log-entries needs a number from 0 to 2000"));
        sim.controller().logbook().seed(n);
    }
    sim.controller().weather().setAlarm(p.isSet(QStringLiteral("alarm")));
    sim.setFaults(faults);
    sim.setPaced(p.isSet(QStringLiteral("paced")));
    if (p.isSet(QStringLiteral("verbose")))
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

    QString error;
    if (!sim.start(p.value(QStringLiteral("link")), &error))
        return fail(error);

    QTextStream out(stdout);
    out << "Korvane simulator on " << sim.slavePath();
    if (!p.value(QStringLiteral("link")).isEmpty())
        out << " (link " << p.value(QStringLiteral("link")) << ")";
    out << Qt::endl;
    out << "Model \"" << model.text() << "\"" << (sim.pty().paced() ? ", paced" : "") << Qt::endl;

    const int rc = app.exec();
    sim.stop(); // removes the link
    return rc;
}
