#pragma once

#include "SimCommandParser.h"
#include "SimFaults.h"
#include "SimLogbook.h"
#include "SimModel.h"
#include "SimParameters.h"
#include "SimWeather.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <functional>

namespace korvane {

// The simulated controller unit: it reads the bytes the program writes,
// answers requests with reply frames "start_" + code + payload + "ende_" and
// applies write blocks to its parameter set. Every command it knows is one
// entry of its command table (key, CR-terminated field count, check, which
// models have it, handler); the per-motor blocks and single values add their
// entries from the parameter tables.
//
// Send-all steps: each write of the parameter set joins the current step; the
// step is acknowledged with one "stc" reply once the line has been quiet for
// ackQuietMs() after the last write, or at once when a request follows the
// writes. The program sends a step's writes back to back and waits for the
// acknowledgement before the next step, so a pause marks the end of a step
// whatever number of writes it held. The acknowledgement carries 0 when every
// write of the step was stored and 1 when one was refused (bad check sum,
// bad address or range). Writes of blocks the model does not use are stored
// all the same: the program sends the key-press step to basic models too.
class SimController : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    static constexpr int kDefaultAckQuietMs = 30;
    static constexpr int kDefaultDcfIndicatorMs = 60000;
    // The logbook records an event of its own this often (switch times,
    // automatics, alarms, ...), so that a running simulator's log grows.
    static constexpr int kLogGrowthIntervalMs = 30000;
    // Generated events in the logbook of a new controller.
    static constexpr int kStartLogEntries = 42;

    explicit SimController(const SimModel& model = SimModel(), QObject* parent = nullptr);

    // --- configuration ---------------------------------------------------------
    void setModel(const SimModel& model);
    const SimModel& model() const { return m_model; }
    void setClock(Clock clock);
    QDateTime now() const { return m_clock(); }
    // A fixed "sdt" answer such as "01.01.00" (radio clock not decoded yet);
    // empty: the clock's date as dd.MM.yy.
    void setDateText(const QString& text) { m_dateText = text; }
    void setVersionText(const QString& text) { m_version = text; }
    const QString& versionText() const { return m_version; }
    // The check, drop and refuse faults concern the controller; the transport
    // plays junk, split and silent.
    void setFaults(const SimFaults& faults) { m_faultCounter.reset(faults); }
    void setAckQuietMs(int ms);
    int ackQuietMs() const { return m_ackTimer.interval(); }
    // How long the radio-clock indicator mode lasts before the controller ends
    // it with an "sts" reply; 0 = until the program stops asking.
    void setDcfIndicatorDurationMs(int ms) { m_dcfDurationMs = ms; }

    // --- the line ------------------------------------------------------------------
    // Bytes from the program, in any pieces.
    void feed(QByteArrayView bytes);
    // Forgets a half-received command (for instance after a reconnect).
    void resetInput();
    // The controller's own clock work: every switch time that fell due since
    // the last call goes into the logbook. Runs each second and before input.
    void runSwitchTimes();

    // --- state, for tests and demos ----------------------------------------------------
    SimWeather& weather() { return m_weather; }
    SimParameters& parameters() { return m_params; }
    SimLogbook& logbook() { return m_logbook; }
    bool dcfIndicatorActive() const { return m_dcfActive; }
    bool manualMode() const { return m_manualMode; }
    int stepsAcknowledged() const { return m_stepsAcknowledged; }
    int writesStored() const { return m_writesStored; }
    int writesRefused() const { return m_writesRefused; }
    bool stepPending() const { return m_stepPending; }

    static QByteArray frame(QByteArrayView code, QByteArrayView payload);

Q_SIGNALS:
    // One complete reply frame, Windows-1252 bytes.
    void replyReady(const QByteArray& frame);
    // A line about what the controller did with the input: ignored bytes,
    // refused writes, acknowledgements, mode changes.
    void trace(const QString& line);

private:
    struct Entry;
    using Handler = void (SimController::*)(const Entry&, const SimParsed&);
    struct Entry {
        SimCommand wire;
        SimNeeds needs = SimNeeds::Always;
        bool stepWrite = false; // belongs to a send-all step: acknowledged by "stc"
        Handler handler = nullptr;
    };
    static const QList<Entry>& table();
    static QList<SimCommand> wireTable();

    bool modelHas(SimNeeds needs) const;
    void dispatch(const SimParsed& parsed);
    void reply(QByteArrayView code, QByteArray payload, bool carriesCheck = false);
    void replyAll(QByteArrayView code, const QList<QByteArray>& payloads, bool carriesCheck);
    void writeDone(const Entry& entry, bool stored, const QString& why);
    void acknowledgeStep();

    // Requests.
    void onModel(const Entry&, const SimParsed&);
    void onVersion(const Entry&, const SimParsed&);
    void onDate(const Entry&, const SimParsed&);
    void onTime(const Entry&, const SimParsed&);
    void onLiveValues(const Entry&, const SimParsed&);
    void onWindMaxReset(const Entry&, const SimParsed&);
    void onDcfStart(const Entry&, const SimParsed&);
    void onDcfState(const Entry&, const SimParsed&);
    void onNames(const Entry&, const SimParsed&);
    void onSwitchTimes(const Entry&, const SimParsed&);
    void onAlarm(const Entry&, const SimParsed&);
    void onBlock(const Entry&, const SimParsed&);
    void onValue(const Entry&, const SimParsed&);
    void onLogbook(const Entry&, const SimParsed&);
    // Writes.
    void onSwitchTimeWrite(const Entry&, const SimParsed&);
    void onNameWrite(const Entry&, const SimParsed&);
    void onAlarmWrite(const Entry&, const SimParsed&);
    void onBlockWrite(const Entry&, const SimParsed&);
    void onValueWrite(const Entry&, const SimParsed&);
    void corrupt(QList<qint32>& values, qsizetype index, const SimField& field);
    void onManualOn(const Entry&, const SimParsed&);
    void onManualOff(const Entry&, const SimParsed&);
    void onManualMove(const Entry&, const SimParsed&);

    SimModel m_model;
    Clock m_clock;
    QString m_dateText;
    QString m_version = QStringLiteral("3.12");
    SimFaultCounter m_faultCounter;
    bool m_dropping = false;   // the request being answered has its replies dropped
    bool m_corrupting = false; // the write being handled is stored with a wrong value
    SimCommandParser m_parser;
    SimWeather m_weather;
    SimParameters m_params;
    SimLogbook m_logbook;

    QTimer m_ackTimer;
    QTimer m_clockTimer;
    QDateTime m_switchedUpTo; // the last minute whose switch times ran
    bool m_stepPending = false;
    bool m_stepFailed = false;
    int m_stepsAcknowledged = 0;
    int m_writesStored = 0;
    int m_writesRefused = 0;

    bool m_dcfActive = false;
    QDateTime m_dcfEnds;
    int m_dcfDurationMs = kDefaultDcfIndicatorMs;
    bool m_manualMode = false;
};

} // namespace korvane
