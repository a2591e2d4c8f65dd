#include "StatusCommand.h"

#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

namespace korvane::cli {

bool runUntil(int timeoutSeconds, const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    deadline.start(timeoutSeconds * 1000);
    check.start(10);
    if (!done())
        loop.exec();
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
    bool connectedPoll = false;
    auto conn = QObject::connect(&session, &ControllerSession::pollState, [&](bool connected) {
        connectedPoll = connectedPoll || connected;
    });
    session.pollTick(); // ask at once rather than after the first period
    const bool ok = runUntil(timeoutSeconds, [&] { return connectedPoll; });
    QObject::disconnect(conn);
    if (!ok)
        reportNoAnswer(session, timeoutSeconds, err);
    return ok;
}

int runStatusCommand(ControllerSession& session, int timeoutSeconds, bool json, QTextStream& out,
                     QTextStream& err) {
    bool live = false;
    auto conn = QObject::connect(&session, &ControllerSession::liveValues, [&] { live = true; });
    if (!waitForController(session, timeoutSeconds, err))
        return 2;
    const bool ok = runUntil(timeoutSeconds, [&] { return live; });
    QObject::disconnect(conn);
    if (!ok) {
        reportNoAnswer(session, timeoutSeconds, err);
        return 2;
    }

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
