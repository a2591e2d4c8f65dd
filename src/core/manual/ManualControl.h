#pragma once

#include <QObject>
#include <QTimer>

namespace korvane {

class ControllerSession;
struct SerialError;

// Moving motors by hand. The controller takes motor commands only in its
// manual mode, in which its automatics (weather protection included) rest, so
// the mode is left whenever the program lets go of the line: on leaving the
// page, before a transfer starts, before the port is changed or closed, and
// when the port is lost.
//
// Manual mode counts as off only once " rhe" has gone out to the line. A
// " rhe" that cannot go out (the port is gone) is owed: it is the first thing
// written when the port is open again, ahead of any poll.
class ManualControl : public QObject {
    Q_OBJECT
public:
    enum Action { Up = 0, Stop = 1, Down = 2 };

    explicit ManualControl(ControllerSession& session, QObject* parent = nullptr);

    // " rhi" CR: manual mode on. Nothing happens while the port is closed.
    void enter();
    // " rhe" CR, only while manual mode is on. It is never refused for a
    // full output queue; manualChanged(false) follows once it is on the line.
    void leave();
    // Whether the controller may be in manual mode: from a written " rhi"
    // until the " rhe" after it has gone out.
    bool isOn() const { return m_on; }
    // A leave is under way: " rhe" is owed or still waiting for the line.
    bool isLeaving() const { return m_leaving; }
    // Two writes: " rhb<motor>" CR, then the action word, "694" and " + sti",
    // each followed by CR. `motor` is 1..8.
    void move(int motor, Action action);

    // " rhe" CR, for a front that repeats it once a lost controller answers
    // again (the first one may have gone nowhere).
    static QByteArray leaveCommand();
    static QByteArray moveMotorCommand(int motor);
    static QByteArray actionCommand(Action action);

Q_SIGNALS:
    // isOn() changed.
    void manualChanged(bool on);

private:
    void writeOff();
    void checkOffWritten();
    void onPortLost();
    void setOn(bool on);

    ControllerSession& m_session;
    bool m_on = false;
    bool m_leaving = false;
    QTimer m_drainCheck; // while " rhe" waits in the output queue
};

} // namespace korvane
