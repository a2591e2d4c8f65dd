#pragma once

#include <QObject>

namespace korvane {

class ControllerSession;

// Moving motors by hand. The controller takes motor commands only in its
// manual mode, in which its automatics (weather protection included) rest, so
// the mode is left whenever the program lets go of the line: on leaving the
// page, before a transfer starts, before the port is changed or closed.
class ManualControl : public QObject {
    Q_OBJECT
public:
    enum Action { Up = 0, Stop = 1, Down = 2 };

    explicit ManualControl(ControllerSession& session, QObject* parent = nullptr);

    // " rhi" CR: manual mode on.
    void enter();
    // " rhe" CR, only while manual mode is on.
    void leave();
    bool isOn() const { return m_on; }
    // Two writes: " rhb<motor>" CR, then the action word, "694" and " + sti",
    // each followed by CR. `motor` is 1..8.
    void move(int motor, Action action);

    // " rhe" CR, for a front that repeats it once a lost controller answers
    // again (the first one may have gone nowhere).
    static QByteArray leaveCommand();
    static QByteArray moveMotorCommand(int motor);
    static QByteArray actionCommand(Action action);

Q_SIGNALS:
    // Manual mode went on or off (the automatics rest while it is on).
    void modeChanged(bool on);

private:
    ControllerSession& m_session;
    bool m_on = false;
};

} // namespace korvane
