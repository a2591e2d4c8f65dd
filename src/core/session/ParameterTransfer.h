#pragma once

#include "blocks/BlockRecord.h"
#include "params/ParameterSet.h"
#include "session/ControllerSession.h"
#include "session/ReadAllChecklist.h"

#include <QObject>
#include <QTimer>

#include <span>

namespace korvane {

// Moves the parameter set between the controller and memory: stores every
// parameter reply, runs read-all (all requests at once, the last switch-time
// record ends it) and send-all (one step per "stc" acknowledgement), and keeps
// the Changed flags as the session's events demand. A read-all or send-all
// that hears nothing for a while ends with a message and the program usable.
//
// A read-all completes or fails: when its answer lacks records (a failed
// check, a value out of range, a frame that never came), the requests whose
// answers are incomplete are sent again, at most kReadRetryRounds times; what
// is still missing then is named in the failure message and the parameter set
// is put back as it was. A send-all step that the controller acknowledges
// with a non-zero "stc" does not stop the chain, but the send-all ends as a
// failure naming the refused steps, whose records keep their Changed flags.
// A lost port ends either sequence at once, as a failure.
class ParameterTransfer : public QObject {
    Q_OBJECT
public:
    // Silence after which a read-all is given up. The controller streams its
    // answer without pauses; no frame takes more than a tenth of a second at
    // 9600 baud, so three seconds of silence mean it has stopped.
    static constexpr int kReadSilenceMs = 3000;
    // A send-all step is given up when its acknowledgement has not come this
    // long after the wire time of the step's bytes.
    static constexpr int kAckGraceMs = 3000;
    static constexpr int kLineBytesPerSecond = 960;
    // Rounds of re-requests after the first round of a read-all.
    static constexpr int kReadRetryRounds = 2;

    static inline const QString kDateNotSetMessage = QStringLiteral(
        "Bitte warten Sie, bis das Funk-Zeitsignal (DCF77) entschl\u00FCsselt wurde. Erst wenn "
        "Datum und Uhrzeit richtig angezeigt werden, ist es m\u00F6glich, die Daten zur "
        "Steuerung zu senden.");
    static inline const QString kReadTimeoutText =
        QStringLiteral("Lesen abgebrochen: keine Antwort");
    static inline const QString kSendTimeoutText =
        QStringLiteral("Senden abgebrochen: keine Quittung");

    ParameterTransfer(ControllerSession& session, ParameterSet& params, QObject* parent = nullptr);

    // Start a sequence; false (and nothing happens) when another activity
    // runs, or for send-all while the controller's date is "01.01.00".
    bool startReadAll();
    bool startSendAll();

    int txStep() const { return m_txStep; }
    int readProgressMaximum() const;
    int sendProgressMaximum() const;
    // lineBytesPerSecond 0: the link takes no time on the wire (a link in memory).
    void setTimeouts(int readSilenceMs, int ackGraceMs,
                     int lineBytesPerSecond = kLineBytesPerSecond);

Q_SIGNALS:
    // ProgressBar: position, maximum, shown.
    void progress(int value, int maximum, bool visible);
    // Read-all began: the switch-time lists show only the reading row.
    void readAllStarted();
    // Row 6 of both switch-time lists while reading.
    void readingRow(const QString& text);
    // An "smn" reply: row 6 of the by-motor list takes that of the by-day list.
    void namesReading();
    void readAllFinished(bool ok, const QString& message);
    void sendAllFinished(bool ok, const QString& message);
    // Tables changed by a reply (pages rebuild their lists).
    void blockChanged(korvane::BlockId id);
    void motorNameChanged(int motor);
    void alarmSetupChanged();
    void systemParamsChanged();

private:
    void registerReplyHandlers();
    void showReading(const QString& text);
    void onSfs(const QByteArray& payload);
    void onAcknowledge(const QByteArray& payload);
    void runStep(int step);
    // Both return the bytes written, for the acknowledgement time-out.
    qsizetype sendWrites(std::span<const QByteArray> writes, int txAmount);
    qsizetype sendSwitchTimes(int day);
    void sendReadRequests(const QList<QByteArray>& requests);
    void afterReadFrame(const QByteArray& code);
    void endReadRound();
    void finishReadAll();
    void failReadAll(const QString& message);
    void finishSendAll();
    void onSilence();
    void onPortLost(const SerialError& error);
    // Ends a send-all that cannot go on, its Changed flags kept.
    void abandonSendAll(const QString& message);
    void armAckTimer(qsizetype bytesSent);

    ControllerSession& m_session;
    ParameterSet& m_params;
    ParameterSet m_beforeRead; // put back when a read-all fails
    QTimer m_silence;
    int m_readSilenceMs = kReadSilenceMs;
    int m_ackGraceMs = kAckGraceMs;
    int m_lineBytesPerSecond = kLineBytesPerSecond;
    int m_txStep = 0;
    int m_txDay = 1;
    int m_progressMax = 0;

    ReadAllChecklist m_checklist;
    int m_readRound = 0;
    bool m_roundHeard = false;   // a frame arrived in this round
    QByteArray m_roundEnd;       // the round's last request: its answer ends the round
    bool m_lastSlotSeen = false; // the last switch-time record of the model arrived

    // What the steps of a send-all sent, so that a refused one can be named
    // and keep its Changed flags.
    struct StepScope {
        int step = 0;
        int day = 0; // switch-time steps: 0 .. 6
    };
    StepScope m_pendingScope; // sent, not yet acknowledged
    QList<StepScope> m_refused;
};

} // namespace korvane
