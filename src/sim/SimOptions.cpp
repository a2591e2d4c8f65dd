#include "SimOptions.h"

#include "Simulator.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace korvane {
namespace {

bool countOption(const QCommandLineParser& p, const QString& name, int* value) {
    if (!p.isSet(name))
        return true;
    bool ok = false;
    *value = p.value(name).toInt(&ok);
    return ok && *value >= 1 && *value <= 8;
}

std::optional<SimOptions> refuse(QString* error, const QString& text) {
    if (error)
        *error = text;
    return std::nullopt;
}

} // namespace

void addSimOptions(QCommandLineParser& p) {
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
         QStringLiteral("bad-checksum, junk, split, silent, bad-check-share=PERCENT[:SEED], "
                        "bad-check=CODE[:N], drop=CODE[:N], refuse=CODE[:N], corrupt=CODE[:N] "
                        "or hangup=N (may be repeated; N picks the n-th frame, request or write "
                        "of CODE; SEED spreads the share at random, the same way for the same "
                        "seed; corrupt stores a per-motor block or single value one step off "
                        "and acknowledges it; hangup closes the pseudo-terminal once N bytes "
                        "have been sent, as an unplugged USB adapter, and opens a new one a "
                        "second later)."),
         QStringLiteral("KIND")},
        {QStringLiteral("log-entries"),
         QStringLiteral("Logbook entries at start 0..%1 (default %2); the log then grows by "
                        "an event every 30 s and by the switch times that fall due.")
             .arg(SimOptions::kMaxLogEntries)
             .arg(SimController::kStartLogEntries),
         QStringLiteral("N")},
        {QStringLiteral("alarm"), QStringLiteral("Report the alarm input as triggered.")},
        {QStringLiteral("verbose"),
         QStringLiteral("Print what the controller does with the input.")},
    });
}

std::optional<SimOptions> simOptionsFrom(const QCommandLineParser& p, QString* error) {
    SimOptions o;
    int motors = 8, slots = 8;
    if (!countOption(p, QStringLiteral("motors"), &motors))
        return refuse(error, QStringLiteral("--motors needs a number from 1 to 8"));
    if (!countOption(p, QStringLiteral("slots"), &slots))
        return refuse(error, QStringLiteral("--slots needs a number from 1 to 8"));

    const int variants =
        int(p.isSet(QStringLiteral("basic"))) + int(p.isSet(QStringLiteral("sensor"))) +
        int(p.isSet(QStringLiteral("sensor-keypress"))) +
        int(p.isSet(QStringLiteral("conservatory"))) + int(p.isSet(QStringLiteral("model")));
    if (variants > 1)
        return refuse(error, QStringLiteral("choose one of --model, --basic, --sensor, "
                                            "--sensor-keypress, --conservatory"));

    o.model = SimModel(SimModel::Variant::Conservatory, motors, slots);
    if (p.isSet(QStringLiteral("basic")))
        o.model = SimModel(SimModel::Variant::Basic, motors, slots);
    else if (p.isSet(QStringLiteral("sensor")))
        o.model = SimModel(SimModel::Variant::Sensor, motors, slots);
    else if (p.isSet(QStringLiteral("sensor-keypress")))
        o.model = SimModel(SimModel::Variant::SensorKeyPress, motors, slots);
    else if (p.isSet(QStringLiteral("model"))) {
        QString text = p.value(QStringLiteral("model"));
        if (p.isSet(QStringLiteral("motors")) && text.size() >= 11)
            text[10] = QChar(u'0' + motors);
        if (p.isSet(QStringLiteral("slots")) && text.size() >= 13)
            text[12] = QChar(u'0' + slots);
        o.model = SimModel::fromText(text);
    }

    for (const QString& name : p.values(QStringLiteral("fault"))) {
        const auto f = SimFaults::fromName(name);
        if (!f)
            return refuse(error, QStringLiteral("unknown fault \"%1\"").arg(name));
        o.faults.merge(*f);
    }

    if (p.isSet(QStringLiteral("date"))) {
        o.dateText = p.value(QStringLiteral("date"));
        if (!QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d$"))
                 .match(o.dateText)
                 .hasMatch())
            return refuse(error, QStringLiteral("--date needs the form DD.MM.YY"));
    }
    if (p.isSet(QStringLiteral("log-entries"))) {
        bool ok = false;
        const int n = p.value(QStringLiteral("log-entries")).toInt(&ok);
        o.logEntries = n;
        if (!ok || n < 0 || n > SimOptions::kMaxLogEntries)
            return refuse(error, QStringLiteral("--log-entries needs a number from 0 to %1")
                                     .arg(SimOptions::kMaxLogEntries));
    }
    o.alarm = p.isSet(QStringLiteral("alarm"));
    o.paced = p.isSet(QStringLiteral("paced"));
    o.verbose = p.isSet(QStringLiteral("verbose"));
    o.linkPath = p.value(QStringLiteral("link"));
    return o;
}

void SimOptions::applyTo(Simulator& sim) const {
    SimController& controller = sim.controller();
    controller.setModel(model);
    if (!dateText.isEmpty())
        controller.setDateText(dateText);
    // The controller starts with a history of its own: replaced by the one asked for.
    if (logEntries) {
        controller.logbook().clear();
        controller.logbook().seed(*logEntries);
    }
    controller.weather().setAlarm(alarm);
    sim.setFaults(faults);
    sim.setPaced(paced);
}

} // namespace korvane
