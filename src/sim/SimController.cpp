#include "SimController.h"

#include "text/Cp1252.h"

namespace korvane {

namespace {

SimSensors sensorsOf(const ModelInfo& info) {
    SimSensors s;
    s.outdoor = info.sensor || info.conservatory;
    s.inside = info.conservatory;
    s.humidity = info.conservatory;
    return s;
}

// Adds one to the last comma-terminated value of a payload.
QByteArray withWrongCheck(const QByteArray& payload) {
    const qsizetype end = payload.lastIndexOf(',');
    if (end < 0)
        return payload;
    const qsizetype start = payload.lastIndexOf(',', end - 1) + 1;
    qint32 v = 0;
    if (!parseSimNumber(QByteArrayView(payload).sliced(start, end - start), &v))
        return payload;
    return payload.left(start) + QByteArray::number(v + 1) + payload.mid(end);
}

QString printable(QByteArrayView bytes) {
    QString out;
    for (char c : bytes) {
        const uchar u = uchar(c);
        if (u == '\r')
            out += QLatin1String("\\r");
        else if (u < 32 || u == 127)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            out += fromCp1252(QByteArrayView(&c, 1));
    }
    return out;
}

} // namespace

const QList<SimController::Entry>& SimController::table() {
    using F = SimFieldType;
    using C = SimCheck;
    using N = SimNeeds;
    static const QList<Entry> entries = [] {
        // key, fields, field type, check | models | send-all step write | handler
        QList<Entry> t = {
            {{"smo"}, N::Always, false, &SimController::onModel},
            {{"sfi"}, N::Always, false, &SimController::onVersion},
            {{"sdt"}, N::Always, false, &SimController::onDate},
            {{"sti"}, N::Always, false, &SimController::onTime},
            {{"skd"}, N::Always, false, &SimController::onLiveValues},
            {{"swl"}, N::Outdoor, false, &SimController::onWindMaxReset},
            {{" sdr"}, N::Always, false, &SimController::onDcfStart},
            {{" sti"}, N::Always, false, &SimController::onTime},
            {{" sds"}, N::Always, false, &SimController::onDcfState},
            {{"smn"}, N::Always, false, &SimController::onNames},
            {{"sfs"}, N::Always, false, &SimController::onSwitchTimes},
            {{"sas"}, N::Outdoor, false, &SimController::onAlarm},
            {{"sla"}, N::Always, false, &SimController::onLogbook},
            {{"sld"}, N::Always, false, &SimController::onLogbook},
            {{"slf"}, N::Always, false, &SimController::onLogbook},
            {{"slr"}, N::Always, false, &SimController::onLogbook},
            {{"sll"}, N::Always, false, &SimController::onLogbook},
            {{" rfs", 10, F::Number, C::Sum}, N::Always, true, &SimController::onSwitchTimeWrite},
            {{" rmn", 3, F::Text, C::LastRepeats}, N::Always, true, &SimController::onNameWrite},
            {{" ras", 3, F::Number, C::Sum}, N::Outdoor, true, &SimController::onAlarmWrite},
            {{" rhi"}, N::Always, false, &SimController::onManualOn},
            {{" rhe"}, N::Always, false, &SimController::onManualOff},
            {{" rhb", 4, F::Text}, N::Always, false, &SimController::onManualMove},
        };
        for (const SimBlockLayout& b : SimParameters::blockLayouts()) {
            const int n = int(b.fields.size()) + 3; // profile, motor, fields, check
            t.append({{b.request}, b.needs, false, &SimController::onBlock});
            t.append(
                {{b.writeKey, n, F::Number, C::Sum}, b.needs, true, &SimController::onBlockWrite});
        }
        for (const SimValueLayout& v : SimParameters::valueLayouts()) {
            t.append({{v.request}, v.needs, false, &SimController::onValue});
            t.append(
                {{v.writeKey, 2, F::Number, C::Sum}, v.needs, true, &SimController::onValueWrite});
        }
        return t;
    }();
    return entries;
}

QList<SimCommand> SimController::wireTable() {
    QList<SimCommand> wire;
    for (const Entry& e : table())
        wire.append(e.wire);
    return wire;
}

SimController::SimController(const SimModel& model, QObject* parent)
    : QObject(parent), m_clock([] { return QDateTime::currentDateTime(); }), m_parser(wireTable()) {
    setModel(model);
    m_logbook.setClock([this] { return m_clock(); });
    m_logbook.seed(kStartLogEntries);
    m_logbook.startGrowing(kLogGrowthIntervalMs);
    m_ackTimer.setSingleShot(true);
    m_ackTimer.setInterval(kDefaultAckQuietMs);
    connect(&m_ackTimer, &QTimer::timeout, this, &SimController::acknowledgeStep);
    m_clockTimer.setInterval(1000);
    connect(&m_clockTimer, &QTimer::timeout, this, &SimController::runSwitchTimes);
    m_clockTimer.start();
}

void SimController::setModel(const SimModel& model) {
    m_model = model;
    m_weather.setSensors(sensorsOf(model.info()));
}

void SimController::setClock(Clock clock) {
    m_clock = std::move(clock);
}

void SimController::setAckQuietMs(int ms) {
    m_ackTimer.setInterval(ms);
}

QByteArray SimController::frame(QByteArrayView code, QByteArrayView payload) {
    QByteArray f = "start_";
    f.append(code);
    f.append(payload);
    f.append("ende_");
    return f;
}

void SimController::resetInput() {
    m_parser.clear();
}

bool SimController::modelHas(SimNeeds needs) const {
    const ModelInfo& i = m_model.info();
    switch (needs) {
    case SimNeeds::Always:
        return true;
    case SimNeeds::Outdoor:
        return i.sensor || i.conservatory;
    case SimNeeds::Conservatory:
        return i.conservatory;
    case SimNeeds::KeyPress:
        return i.keyAutomatic;
    }
    return false;
}

void SimController::runSwitchTimes() {
    const QDateTime now = m_clock();
    const QDateTime minute(now.date(), QTime(now.time().hour(), now.time().minute()));
    constexpr qint64 kMaxCatchUpSeconds = 24 * 3600;
    if (!m_switchedUpTo.isValid() || minute < m_switchedUpTo ||
        m_switchedUpTo.secsTo(minute) > kMaxCatchUpSeconds) {
        m_switchedUpTo = minute; // first run or a clock jump: start from here
        return;
    }
    using F = SimParameters::SwitchField;
    while (m_switchedUpTo < minute) {
        m_switchedUpTo = m_switchedUpTo.addSecs(60);
        const QDate date = m_switchedUpTo.date();
        const QTime time = m_switchedUpTo.time();
        for (int motor = 1; motor <= m_model.motorCount(); ++motor) {
            for (int slot = 1; slot <= m_model.slotsPerMotor(); ++slot) {
                const auto s = m_params.switchTime(date.dayOfWeek(), motor, slot);
                if (s[F::Hour] != time.hour() || s[F::Minute] != time.minute())
                    continue;
                // Cause 0: a programmed switch time, fixed, solar or random.
                m_logbook.logEventAt(m_switchedUpTo, 0, motor, s[F::Direction] == 1,
                                     s[F::Function]);
            }
        }
    }
}

void SimController::feed(QByteArrayView bytes) {
    runSwitchTimes();
    for (const SimParsed& parsed : m_parser.feed(bytes))
        dispatch(parsed);
    if (m_stepPending)
        m_ackTimer.start(); // the step ends after a quiet spell
}

void SimController::dispatch(const SimParsed& parsed) {
    switch (parsed.kind) {
    case SimParsed::Kind::Ignored:
        Q_EMIT trace(QStringLiteral("ignored unknown input \"%1\"").arg(printable(parsed.bytes)));
        return;
    case SimParsed::Kind::Abandoned:
        Q_EMIT trace(QStringLiteral("abandoned write \"%1\": a field is not a number")
                         .arg(printable(parsed.bytes)));
        if (table()[parsed.command].stepWrite) {
            m_stepPending = true;
            m_stepFailed = true;
            ++m_writesRefused;
        }
        return;
    case SimParsed::Kind::Command:
        break;
    }
    const Entry& entry = table()[parsed.command];
    if (!entry.stepWrite && m_stepPending) {
        // A request after writes: the step is over.
        m_ackTimer.stop();
        acknowledgeStep();
    }
    if (!modelHas(entry.needs)) {
        if (!entry.stepWrite) {
            Q_EMIT trace(QStringLiteral("ignored \"%1\": this model has no such request")
                             .arg(printable(entry.wire.key)));
            return;
        }
        // The program's send-all writes the key-press step for every model
        // that is not a sensor model; the records are kept, unused.
        Q_EMIT trace(QStringLiteral("\"%1\" stored although this model does not use it")
                         .arg(printable(entry.wire.key)));
    }
    if (!parsed.checkOk) {
        writeDone(entry, false, QStringLiteral("wrong check sum"));
        return;
    }
    const QByteArray code = entry.wire.key.trimmed();
    if (entry.stepWrite && m_faultCounter.strikes(SimCodeFault::Kind::Refuse, code)) {
        writeDone(entry, false, QStringLiteral("refused (fault)"));
        return;
    }
    m_corrupting = entry.stepWrite && m_faultCounter.strikes(SimCodeFault::Kind::Corrupt, code);
    m_dropping = !entry.stepWrite && m_faultCounter.strikes(SimCodeFault::Kind::Drop, code);
    if (m_dropping)
        Q_EMIT trace(QStringLiteral("replies to \"%1\" dropped (fault)").arg(printable(code)));
    (this->*entry.handler)(entry, parsed);
    m_dropping = false;
    m_corrupting = false;
}

void SimController::reply(QByteArrayView code, QByteArray payload, bool carriesCheck) {
    if (m_dropping)
        return;
    if (carriesCheck && m_faultCounter.spoilsCheck(code))
        payload = withWrongCheck(payload);
    Q_EMIT replyReady(frame(code, payload));
}

void SimController::replyAll(QByteArrayView code, const QList<QByteArray>& payloads,
                             bool carriesCheck) {
    for (const QByteArray& p : payloads)
        reply(code, p, carriesCheck);
}

void SimController::writeDone(const Entry& entry, bool stored, const QString& why) {
    if (stored) {
        ++m_writesStored;
    } else {
        ++m_writesRefused;
        Q_EMIT trace(
            QStringLiteral("ignored write \"%1\": %2").arg(printable(entry.wire.key), why));
    }
    if (entry.stepWrite) {
        m_stepPending = true;
        m_stepFailed = m_stepFailed || !stored;
    }
}

void SimController::acknowledgeStep() {
    if (!m_stepPending)
        return;
    const bool failed = m_stepFailed;
    m_stepPending = false;
    m_stepFailed = false;
    ++m_stepsAcknowledged;
    Q_EMIT trace(QStringLiteral("step %1 acknowledged%2")
                     .arg(m_stepsAcknowledged)
                     .arg(failed ? QStringLiteral(" with error") : QString()));
    reply("stc", failed ? "1," : "0,");
}

// --- requests ---------------------------------------------------------------------

void SimController::onModel(const Entry&, const SimParsed&) {
    reply("smo", toCp1252(m_model.text()));
}

void SimController::onVersion(const Entry&, const SimParsed&) {
    reply("sfi", toCp1252(m_version));
}

void SimController::onDate(const Entry&, const SimParsed&) {
    const QString date =
        m_dateText.isEmpty() ? m_clock().toString(QStringLiteral("dd.MM.yy")) : m_dateText;
    reply("sdt", toCp1252(date));
}

void SimController::onTime(const Entry&, const SimParsed&) {
    reply("sti", toCp1252(m_clock().toString(QStringLiteral("HH:mm:ss"))));
}

void SimController::onLiveValues(const Entry&, const SimParsed&) {
    m_weather.advance(m_clock());
    const SimWeather::Values v = m_weather.values();
    reply("skd", simValuesPayload(v));
}

void SimController::onWindMaxReset(const Entry&, const SimParsed&) {
    m_weather.advance(m_clock());
    m_weather.resetWindMax();
    Q_EMIT trace(QStringLiteral("maximum wind reset"));
}

void SimController::onDcfStart(const Entry&, const SimParsed&) {
    m_dcfActive = true;
    m_dcfEnds = m_dcfDurationMs > 0 ? m_clock().addMSecs(m_dcfDurationMs) : QDateTime();
    Q_EMIT trace(QStringLiteral("radio-clock indicator on"));
}

void SimController::onDcfState(const Entry&, const SimParsed&) {
    const QDateTime t = m_clock();
    // The DCF77 carrier drops for 100 or 200 ms at the start of each second.
    const bool pulse = t.time().msec() < 150;
    reply("sds", pulse ? "1," : "0,");
    if (m_dcfActive && m_dcfEnds.isValid() && t >= m_dcfEnds) {
        m_dcfActive = false;
        Q_EMIT trace(QStringLiteral("radio-clock indicator ended"));
        reply("sts", QByteArray());
    }
}

void SimController::onNames(const Entry&, const SimParsed&) {
    replyAll("smn", m_params.nameReplies(), false);
}

void SimController::onSwitchTimes(const Entry&, const SimParsed&) {
    replyAll("sfs", m_params.switchTimeReplies(m_model.motorCount(), m_model.slotsPerMotor()),
             true);
}

void SimController::onAlarm(const Entry&, const SimParsed&) {
    replyAll("sas", m_params.alarmReplies(m_model.motorCount()), false);
}

void SimController::onBlock(const Entry& entry, const SimParsed&) {
    const SimBlockLayout* block = SimParameters::blockByRequest(entry.wire.key);
    replyAll(entry.wire.key, m_params.blockReplies(*block, m_model.motorCount()), true);
}

void SimController::onValue(const Entry& entry, const SimParsed&) {
    reply(entry.wire.key, m_params.valueReply(*SimParameters::valueByRequest(entry.wire.key)));
}

void SimController::onLogbook(const Entry& entry, const SimParsed&) {
    for (const QByteArray& f : m_logbook.handle(entry.wire.key)) {
        // Entry frames carry a check value that the bad-checksum fault spoils.
        const QByteArray code = f.mid(6, 3);
        const QByteArray payload = f.mid(9, f.size() - 14);
        reply(code, payload, code != "sla");
    }
    if (entry.wire.key == "sll")
        Q_EMIT trace(QStringLiteral("logbook cleared"));
}

// --- writes --------------------------------------------------------------------------

// The corrupt fault: value `index` one step off, still within its range, so
// that the write is stored and acknowledged as if it were right.
void SimController::corrupt(QList<qint32>& values, qsizetype index, const SimField& field) {
    if (index < 0 || index >= values.size() || field.min == field.max)
        return;
    qint32& v = values[index];
    v = v < field.max ? v + 1 : v - 1;
    Q_EMIT trace(QStringLiteral("write stored with a wrong value (fault)"));
}

void SimController::onSwitchTimeWrite(const Entry& entry, const SimParsed& parsed) {
    QString why;
    QList<qint32> values = parsed.values;
    // Day, motor and slot come before the stored fields.
    if (m_corrupting)
        corrupt(values, 3 + SimParameters::Duration,
                SimParameters::switchFieldRange(SimParameters::Duration));
    const bool ok =
        m_params.applySwitchTime(values, m_model.motorCount(), m_model.slotsPerMotor(), &why);
    writeDone(entry, ok, why);
}

void SimController::onNameWrite(const Entry& entry, const SimParsed& parsed) {
    QString why;
    const bool ok = m_params.applyName(parsed.fields, &why);
    writeDone(entry, ok, why);
}

void SimController::onAlarmWrite(const Entry& entry, const SimParsed& parsed) {
    QString why;
    QList<qint32> values = parsed.values;
    if (m_corrupting)
        corrupt(values, 1, SimParameters::alarmChoiceRange()); // after the motor
    const bool ok = m_params.applyAlarm(values, m_model.motorCount(), &why);
    writeDone(entry, ok, why);
}

void SimController::onBlockWrite(const Entry& entry, const SimParsed& parsed) {
    QString why;
    const SimBlockLayout* block = SimParameters::blockByWrite(entry.wire.key);
    QList<qint32> values = parsed.values;
    if (m_corrupting)
        corrupt(values, values.size() - 2, block->fields.back());
    const bool ok = m_params.applyBlock(*block, values, m_model.motorCount(), &why);
    writeDone(entry, ok, why);
}

void SimController::onValueWrite(const Entry& entry, const SimParsed& parsed) {
    QString why;
    const SimValueLayout& layout = *SimParameters::valueByWrite(entry.wire.key);
    QList<qint32> values = parsed.values;
    if (m_corrupting && !values.isEmpty())
        corrupt(values, 0, layout.field);
    const bool ok = m_params.applyValue(layout, values, &why);
    writeDone(entry, ok, why);
}

void SimController::onManualOn(const Entry&, const SimParsed&) {
    m_manualMode = true;
    Q_EMIT trace(QStringLiteral("manual mode on"));
}

void SimController::onManualOff(const Entry&, const SimParsed&) {
    m_manualMode = false;
    Q_EMIT trace(QStringLiteral("manual mode off"));
}

void SimController::onManualMove(const Entry& entry, const SimParsed& parsed) {
    const QList<QByteArray>& f = parsed.fields;
    bool ok = false;
    const int motor = f[0].toInt(&ok);
    const QByteArray action = f[1];
    if (!ok || motor < 1 || motor > m_model.motorCount() ||
        (action != "up" && action != "off" && action != "down") || f[2] != "694" ||
        f[3] != " + sti") {
        writeDone(entry, false,
                  QStringLiteral("malformed motor command \"%1\"").arg(printable(f.join('\r'))));
        return;
    }
    Q_EMIT trace(QStringLiteral("motor %1 %2%3")
                     .arg(motor)
                     .arg(QString::fromLatin1(action))
                     .arg(m_manualMode ? QString() : QStringLiteral(" (manual mode off)")));
    if (action == "off")
        return;
    m_logbook.logEvent(4, motor, action == "up"); // moved by hand
}

} // namespace korvane
