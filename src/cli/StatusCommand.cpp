#include "StatusCommand.h"

#include "StopSignals.h"
#include "history/LiveSample.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"
#include "session/ControllerStateJson.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTimer>
#include <optional>

namespace korvane::cli {

bool runUntil(double timeoutSeconds, const std::function<bool()>& done) {
    if (done())
        return true;
    // The condition changes only in what an event sets off (a reply, a timer,
    // a stop signal's wake-up), so it is looked at whenever the event loop is
    // about to wait again: an idle wait wakes for nothing else.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = QObject::connect(QAbstractEventDispatcher::instance(),
                                        &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
                                            if (done())
                                                loop.quit();
                                        });
    deadline.start(int(timeoutSeconds * 1000));
    loop.exec();
    QObject::disconnect(check);
    return done();
}

QString secondsText(double seconds) {
    return QLocale(QLocale::German).toString(seconds, 'g', 8);
}

namespace {

void reportNoAnswer(ControllerSession& session, double timeoutSeconds, QTextStream& err) {
    err << QStringLiteral("Keine Antwort von der Steuerung an %1 innerhalb von %2 s.\n")
               .arg(session.link().device(), secondsText(timeoutSeconds));
}

} // namespace

bool waitForController(ControllerSession& session, double timeoutSeconds, QTextStream& err) {
    // A command only looks at the controller until it acts: the poll must not
    // move the logbook read position.
    session.setLogbookRewindOnPoll(false);
    std::optional<bool> modelValid;
    auto conn = QObject::connect(&session, &ControllerSession::pollAnswered,
                                 [&](bool valid) { modelValid = valid; });
    session.requestPoll(); // ask at once rather than after the first period
    runUntil(timeoutSeconds, [&] { return modelValid.has_value() || stopSignal(); });
    QObject::disconnect(conn);
    if (stopSignal()) {
        err << StopSignals::stoppedText(stopSignal()) << '\n';
        return false;
    }
    if (!modelValid)
        reportNoAnswer(session, timeoutSeconds, err);
    // An unusable model text has been reported through the session's messages.
    return modelValid.value_or(false);
}

int runStatusCommand(ControllerSession& session, double timeoutSeconds, bool json, QTextStream& out,
                     QTextStream& err) {
    // The live values are among the poll replies that the wait collects.
    if (!waitForController(session, timeoutSeconds, err))
        return 2;

    const StatusPanels& p = session.panels();
    const ModelInfo& m = session.model();
    const LiveDisplay& d = session.lastLiveValues();
    // What this controller measures, as the CSV and the history have it.
    const LiveSample sample = sampleFromReply(d.raw, m, 0);
    if (json) {
        QJsonArray raw;
        for (qint32 v : d.raw)
            raw.append(v);
        // The values as the bridge publishes them, plus the model's counts and
        // the reply's raw numbers.
        QJsonObject o = controllerStateJson(p, sample);
        o.insert(QStringLiteral("motors"), m.motorCount);
        o.insert(QStringLiteral("slotsPerMotor"), m.slotsPerMotor);
        o.insert(QStringLiteral("sensor"), m.sensor);
        o.insert(QStringLiteral("conservatory"), m.conservatory);
        o.insert(QStringLiteral("keyAutomatic"), m.keyAutomatic);
        o.insert(QStringLiteral("raw"), raw);
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        return 0;
    }
    auto line = [&](const QString& label, const QString& value) {
        out << label.leftJustified(22) << value.trimmed() << '\n';
    };
    line(QStringLiteral("Modell:"), p.text(StatusPanels::Model));
    line(QStringLiteral("Version:"), p.text(StatusPanels::Version));
    line(QStringLiteral("Datum:"), p.text(StatusPanels::Date));
    line(QStringLiteral("Uhrzeit:"), p.text(StatusPanels::Time));
    line(QStringLiteral("Motoren:"), QString::number(m.motorCount));
    line(QStringLiteral("Schaltzeiten je Tag:"), QString::number(m.slotsPerMotor));
    const bool outdoor = sample.hasOutdoorSensors();
    const QString none = QStringLiteral("-");
    line(QStringLiteral("Helligkeit:"),
         outdoor ? QStringLiteral("%1 (Mittel %2)").arg(sample.luxNow).arg(sample.luxMean) : none);
    line(QStringLiteral("Innentemperatur:"), d.insideNow);
    line(QStringLiteral("  min / max:"),
         d.insideMin.trimmed() + QStringLiteral(" / ") + d.insideMax.trimmed());
    line(QStringLiteral("Au\u00DFentemperatur:"), d.outsideNow);
    line(QStringLiteral("  min / max:"),
         d.outsideMin.trimmed() + QStringLiteral(" / ") + d.outsideMax.trimmed());
    line(QStringLiteral("Wind:"),
         outdoor ? d.windNow + QStringLiteral(" (max ") + d.windMax + QLatin1Char(')') : none);
    line(QStringLiteral("Regen:"), outdoor ? d.rain : none);
    line(QStringLiteral("Alarm:"), outdoor ? d.alarm : none);
    const auto humidity = sample.humidityPercent();
    line(QStringLiteral("Luftfeuchte:"),
         humidity ? QString::number(*humidity) + QStringLiteral(" %") : none);
    return 0;
}

} // namespace korvane::cli
