#include "StatusCommand.h"

#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <optional>

namespace korvane::cli {

bool runUntil(int timeoutSeconds, const std::function<bool()>& done) {
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
    deadline.start(timeoutSeconds * 1000);
    loop.exec();
    QObject::disconnect(check);
    return done();
}

namespace {

void reportNoAnswer(ControllerSession& session, int timeoutSeconds, QTextStream& err) {
    err << QStringLiteral("Keine Antwort von der Steuerung an %1 innerhalb von %2 s.\n")
               .arg(session.link().device())
               .arg(timeoutSeconds);
}

} // namespace

bool waitForController(ControllerSession& session, int timeoutSeconds, QTextStream& err) {
    // A command only looks at the controller until it acts: the poll must not
    // move the logbook read position.
    session.setLogbookRewindOnPoll(false);
    std::optional<bool> modelValid;
    auto conn = QObject::connect(&session, &ControllerSession::pollAnswered,
                                 [&](bool valid) { modelValid = valid; });
    session.requestPoll(); // ask at once rather than after the first period
    runUntil(timeoutSeconds, [&] { return modelValid.has_value(); });
    QObject::disconnect(conn);
    if (!modelValid)
        reportNoAnswer(session, timeoutSeconds, err);
    // An unusable model text has been reported through the session's messages.
    return modelValid.value_or(false);
}

int runStatusCommand(ControllerSession& session, int timeoutSeconds, bool json, QTextStream& out,
                     QTextStream& err) {
    // The live values are among the poll replies that the wait collects.
    if (!waitForController(session, timeoutSeconds, err))
        return 2;

    const StatusPanels& p = session.panels();
    const ModelInfo& m = session.model();
    const LiveDisplay& d = session.lastLiveValues();
    if (json) {
        QJsonArray raw;
        for (qint32 v : d.raw)
            raw.append(v);
        const QJsonObject o{
            {QStringLiteral("model"), p.text(StatusPanels::Model)},
            {QStringLiteral("version"), p.text(StatusPanels::Version).mid(1)},
            {QStringLiteral("date"), p.text(StatusPanels::Date)},
            {QStringLiteral("time"), p.text(StatusPanels::Time)},
            {QStringLiteral("motors"), m.motorCount},
            {QStringLiteral("slotsPerMotor"), m.slotsPerMotor},
            {QStringLiteral("sensor"), m.sensor},
            {QStringLiteral("conservatory"), m.conservatory},
            {QStringLiteral("keyAutomatic"), m.keyAutomatic},
            {QStringLiteral("brightness"), d.raw[0]},
            {QStringLiteral("brightnessMean"), d.raw[14]},
            {QStringLiteral("insideTemperature"),
             d.raw[1] == kNoTemperatureSensor ? QJsonValue()
                                              : QJsonValue(temperatureDegrees(d.raw[1], d.raw[2]))},
            {QStringLiteral("outsideTemperature"),
             d.raw[5] == kNoTemperatureSensor ? QJsonValue()
                                              : QJsonValue(temperatureDegrees(d.raw[5], d.raw[6]))},
            {QStringLiteral("windKmh"), d.raw[9]},
            {QStringLiteral("windMaxKmh"), d.raw[10]},
            {QStringLiteral("alarm"), d.raw[11] != 0},
            {QStringLiteral("rain"), d.raw[12] != 0},
            {QStringLiteral("humidityPercent"),
             d.raw[15] == 0 ? QJsonValue() : QJsonValue(d.raw[15])},
            {QStringLiteral("raw"), raw},
        };
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
    line(QStringLiteral("Helligkeit:"),
         QStringLiteral("%1 (Mittel %2)").arg(d.raw[0]).arg(d.raw[14]));
    line(QStringLiteral("Innentemperatur:"), d.insideNow);
    line(QStringLiteral("  min / max:"),
         d.insideMin.trimmed() + QStringLiteral(" / ") + d.insideMax.trimmed());
    line(QStringLiteral("Au\u00DFentemperatur:"), d.outsideNow);
    line(QStringLiteral("  min / max:"),
         d.outsideMin.trimmed() + QStringLiteral(" / ") + d.outsideMax.trimmed());
    line(QStringLiteral("Wind:"),
         d.windNow + QStringLiteral(" (max ") + d.windMax + QLatin1Char(')'));
    line(QStringLiteral("Regen:"), d.rain);
    line(QStringLiteral("Alarm:"), d.alarm);
    line(QStringLiteral("Luftfeuchte:"), d.humidity);
    return 0;
}

} // namespace korvane::cli
