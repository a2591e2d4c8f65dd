#pragma once

#include "params/ChangedEvent.h"
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"
#include "serial/SerialError.h"
#include "session/LiveValues.h"
#include "session/ModelInfo.h"
#include "session/StatusPanels.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <functional>

namespace korvane {

class SerialLink;

// Long operations that exclude each other and pause the poll cycle.
enum class Activity { Idle, ReadAll, SendAll, Logbook };

// The hub of the controller link: owns the receive path and the dispatcher,
// the byte counters, the status panels, the poll cycle with its watchdog and
// the radio-clock indicator mode. The desktop program and the command line
// both drive one of these; everything runs on the owning thread.
class ControllerSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 900;
    static constexpr int kWatchdogIntervalMs = 2500;
    static constexpr int kDcfIntervalMs = 100;

    explicit ControllerSession(SerialLink* link, QObject* parent = nullptr);
    ~ControllerSession() override;

    SerialLink& link() { return *m_link; }
    StatusPanels& panels() { return m_panels; }
    const StatusPanels& panels() const { return m_panels; }

    // --- connection ------------------------------------------------------
    // Opens `device` (a path); on failure reports the error through
    // portOpenFailed and returns false. Starts the poll cycle either way.
    bool openDevice(const QString& device);
    // Why the last openDevice or changePort failed (kind None after success).
    const SerialError& openError() const { return m_openError; }
    // A port change by the user: open, mark data changed, reset the panels.
    bool changePort(const QString& device);
    void closePort();
    // True from a model reply until the watchdog hears nothing or the port
    // is changed; panel 0 shows the model meanwhile, else "Keine Verbindung".
    bool isConnected() const { return m_connected; }
    const ModelInfo& model() const { return m_model; }

    // --- writing ------------------------------------------------------------
    // Writes bytes; `txAmount` is what the TxD counter adds for them. False
    // when the link did not take them (closed, or its queue full).
    bool send(const QByteArray& bytes, int txAmount = 0);
    // Writes a command that must not wait behind a full queue (leaving manual
    // mode); false only when the port is not open.
    bool sendSafetyCommand(const QByteArray& bytes);
    qint64 rxCount() const { return m_rxCount; }
    // Received bytes that are not yet part of a complete frame.
    qsizetype pendingBytes() const { return m_receiver.pending().size(); }
    qint64 txCount() const { return m_txCount; }
    void resetCounters();
    void addTxCount(qint64 amount);
    void addRxCount(qint64 amount);

    // --- dispatch -------------------------------------------------------------
    using Handler = std::function<void(const QByteArray& payload)>;
    // One handler per three-letter reply code; a later registration replaces.
    void registerHandler(const QByteArray& code, Handler handler);
    // Parses a block payload. On a malformed value shows an error in panel 5
    // and returns nullopt; the caller then stores nothing.
    std::optional<ReplyValues> parseValues(const QByteArray& code, const QByteArray& payload);

    // --- activities -------------------------------------------------------------
    Activity activity() const { return m_activity; }
    // Stops (ReadAll, Logbook) or suspends (SendAll) polling; Idle resumes it.
    void setActivity(Activity activity);

    // --- poll cycle -----------------------------------------------------------
    void setTimerIntervals(int pollMs, int watchdogMs, int dcfMs);
    // How often a lost device is tried again.
    void setReopenInterval(int ms) { m_reopenTimer.setInterval(ms); }
    bool luxMeanShown() const { return m_luxMeanShown; }
    void toggleLuxMean();
    const LiveDisplay& lastLiveValues() const { return m_live; }

    // Radio-clock indicator mode.
    void startDcfIndicator();
    void stopDcfIndicator();
    bool dcfIndicatorActive() const { return m_dcfTimer.isActive(); }

    // Where Korvane.ini is written after the first connected poll; empty: never.
    void setProgramSettingsWriter(std::function<bool()> writer);
    // Whether the first connected poll tick sends "slr", which moves the
    // controller's logbook read position to the first entry (on by default;
    // commands that must leave the controller as it is turn it off).
    void setLogbookRewindOnPoll(bool on) { m_logReadStarted = !on; }

    // The line lent to another reader and writer (a client of the bridge's
    // share): the poll cycle, the watchdog and the radio-clock indicator
    // stop, and arriving bytes are left on the link for the borrower, never
    // read as replies. Given back, a fresh poll cycle starts.
    void lendLine(bool lent);
    bool lineLent() const { return m_lineLent; }

    // Sends the five poll requests now, outside the poll period.
    // pollAnswered() follows once all five replies are in. Like every poll,
    // it is skipped while earlier output still waits for the line (the
    // controller holds its input): polls must not pile up in the queue.
    void requestPoll();

public Q_SLOTS:
    void pollTick();
    void watchdogTick();
    void dcfTick();

Q_SIGNALS:
    // A message box: general error report or the program's own messages.
    void userMessage(const QString& text);
    // Opening the port failed; the front shows serialOpenErrorReport(error).
    void portOpenFailed(const SerialError& error);
    // The port is open: after openDevice, changePort or a reopen of a lost
    // device, before anything else is written to it.
    void portOpened();
    // The open device went away (error of kind Lost), once per loss: the
    // session is disconnected from here on and tries to reopen the device.
    void portLost(const korvane::SerialError& error);
    void lineErrorOccurred();
    // After each poll tick: connected or not; the model that now applies.
    void pollState(bool connected, const ModelInfo& model);
    // Heartbeat: true paints Dot as a fuchsia circle, false as a red square.
    void heartbeat(bool connected, bool fuchsiaCircle);
    void liveValues(const LiveDisplay& display);
    // All five replies of the last poll arrived and the model text was
    // evaluated; `modelValid` is false when its counts are not digits.
    void pollAnswered(bool modelValid);
    void luxModeChanged(bool meanShown);
    void dcfIndicatorChanged(bool active);
    void dcfLed(bool lit);
    void activityChanged(Activity activity);
    // A long operation is about to begin; nothing of it is on the line yet.
    void activityStarting(Activity activity);
    // The port is about to be closed or changed; the line still works.
    void portReleasing();
    // Parameter tables follow these (Changed flags).
    void changedEvent(ChangedEvent event);
    void connectionLost();
    // Every frame after its handler ran (the command line and tests listen).
    void frameReceived(const QByteArray& code, const QByteArray& payload);
    // After the bytes of a receive event were counted (read-all progress).
    void bytesCounted(qint64 rxCount);

private:
    void onBytesArrived();
    void dispatch(const QByteArray& code, const QByteArray& payload);
    void registerPollHandlers();
    void onLiveValues(const QByteArray& payload);
    bool applyModel();
    void sendPoll();
    void notePollReply(const QByteArray& code);
    void startPolling();
    void tryReopen();
    void onDeviceLost(const SerialError& error);
    void markDisconnected();

    SerialLink* m_link;
    StatusPanels m_panels;
    FrameReceiver m_receiver;
    QHash<QByteArray, Handler> m_handlers;
    QByteArray m_lastPayload;

    QTimer m_pollTimer;
    QTimer m_watchdogTimer;
    QTimer m_dcfTimer;
    QTimer m_reopenTimer;
    QString m_device;

    qint64 m_rxCount = 0;
    qint64 m_txCount = 0;
    qint64 m_rxCountAtLastCheck = 0;
    Activity m_activity = Activity::Idle;
    ModelInfo m_model;
    QString m_modelText; // the last "smo" payload
    bool m_connected = false;
    SerialError m_openError;
    bool m_modelFaultReported = false;
    bool m_settingsFileWritten = false;
    bool m_logReadStarted = false;
    bool m_luxMeanShown = true;
    bool m_lineLent = false;
    bool m_dotFuchsia = false;
    LiveDisplay m_live;
    QList<QByteArray> m_pollPending; // poll replies still to come
    std::function<bool()> m_settingsWriter;
};

} // namespace korvane

Q_DECLARE_METATYPE(korvane::LiveDisplay)
Q_DECLARE_METATYPE(korvane::ChangedEvent)
Q_DECLARE_METATYPE(korvane::ModelInfo)
