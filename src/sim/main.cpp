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

void onSignal(int) {
    const char c = 1;
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
        "(or --link PATH) as the serial port."));
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
         QStringLiteral("bad-checksum, junk, split or silent (may be repeated)."),
         QStringLiteral("KIND")},
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
        faults.badChecksum |= f->badChecksum;
        faults.junk |= f->junk;
        faults.split |= f->split;
        faults.silent |= f->silent;
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
    sim.setFaults(faults);
    sim.setPaced(p.isSet(QStringLiteral("paced")));
    if (p.isSet(QStringLiteral("verbose")))
        QObject::connect(&sim, &Simulator::trace,
                         [](const QString& line) { err() << line << Qt::endl; });

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return fail(QStringLiteral("cannot set up signal handling"));
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        QCoreApplication::quit();
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

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
