#pragma once

#include "SimController.h"
#include "SimPty.h"

#include <QObject>

namespace korvane {

// A simulated controller on a pseudo-terminal: the controller logic and its
// line, wired together. Runs in the owning thread's event loop, so a test can
// create one, open slavePath() with the program's serial link and talk to it.
//
//   Simulator sim(SimModel(SimModel::Variant::Conservatory));
//   QVERIFY(sim.start());
//   link.open(sim.slavePath(), &error);
//   sim.setAnswering(false); // cable pulled
//   sim.setAnswering(true);  // and back
//
// With the hang-up fault the pseudo-terminal itself goes away and comes back
// as a new device: open it through start()'s link path to find it again.
class Simulator : public QObject {
    Q_OBJECT
public:
    explicit Simulator(const SimModel& model = SimModel(), QObject* parent = nullptr);

    // Creates the pseudo-terminal (and the link when `linkPath` is given).
    bool start(const QString& linkPath = QString(), QString* error = nullptr);
    void stop();
    QString slavePath() const { return m_pty.slavePath(); }

    void setPaced(bool paced) { m_pty.setPaced(paced); }
    void setFaults(const SimFaults& faults);
    void setAnswering(bool answering);
    bool answering() const { return m_pty.answering(); }

    SimController& controller() { return m_controller; }
    SimPty& pty() { return m_pty; }

Q_SIGNALS:
    void trace(const QString& line);

private:
    SimController m_controller;
    SimPty m_pty;
};

} // namespace korvane
