#pragma once

#include "manual/ManualControl.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <optional>

namespace korvane {
class ControllerSession;
}

namespace korvane::bridge {

// Motor commands from MQTT onto the serial line. A command is taken only when
// commands are allowed, the motor is one of the model's and the controller
// answers; anything else is ignored, counted and named, and puts no byte on
// the line. A taken command waits in one slot per motor (a later command for
// the same motor replaces it), and the slots go out one write at a time, no
// faster than the 960 bytes per second of the line: a flood of commands
// never queues up. The first move enters manual mode (" rhi"); manual mode
// is left (" rhe") once `holdMs` passed without a further command, or at
// once through leaveNow().
class MotorCommands : public QObject {
    Q_OBJECT
public:
    static constexpr int kLineBytesPerSecond = 960;

    MotorCommands(ControllerSession& session, ManualControl& manual, QObject* parent = nullptr);

    void setEnabled(bool enabled) { m_enabled = enabled; }
    void setHoldMs(int ms) { m_holdTimer.setInterval(ms); }
    // While the line is lent to a share client, every command is ignored.
    void setLineLent(bool lent) { m_lineLent = lent; }

    // The payload for motor `motor` (0: a topic that names no motor).
    void handle(int motor, const QByteArray& payload);
    // Drops what waits and leaves manual mode now; `why` goes into the log.
    void leaveNow(const QString& why);
    int ignoredCount() const { return m_ignored; }
    // A " rhe" counts as heard once the controller answered two polls sent
    // after it. One that may have gone nowhere (a pulled cable, a lost
    // adapter) goes again when the controller answers again.
    void pollAnswered();
    void controllerBack();

    static std::optional<ManualControl::Action> parsePayload(const QByteArray& payload);

Q_SIGNALS:
    void ignored(int count);
    // One line per event: command sent, command ignored, manual mode left.
    void logLine(const QString& line);

private:
    void ignore(const QString& why);
    void sendNext();
    void pause(qsizetype bytes);

    ControllerSession& m_session;
    ManualControl& m_manual;
    bool m_enabled = false;
    bool m_lineLent = false;
    struct Pending {
        int motor;
        ManualControl::Action action;
    };
    QList<Pending> m_pending; // at most one per motor, oldest first
    QTimer m_lineTimer;       // the line is busy with our last write until it fires
    QTimer m_holdTimer;
    int m_ignored = 0;
    // At most kLogBurst lines about ignored commands per kLogWindowMs; the
    // rest are summed up in the next line.
    static constexpr int kLogBurst = 10;
    static constexpr int kLogWindowMs = 10000;
    QElapsedTimer m_logWindow;
    int m_loggedInWindow = 0;
    int m_unlogged = 0;
    int m_replaced = 0;
    bool m_leaveUnheard = false;
    int m_answersSinceLeave = 0;
    bool m_leaveOnClosedLink = false; // the port was gone when " rhe" was written
};

} // namespace korvane::bridge
