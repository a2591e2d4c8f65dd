#pragma once

// The program's side of one simulated controller on a pseudo-terminal: the
// serial link, the session, a parameter set and its transfer, connected and
// polling until the model is known.

#include "Simulator.h"

#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"

#include <QSignalSpy>
#include <QTest>

struct Station {
    korvane::Simulator sim;
    korvane::QtSerialLink link;
    korvane::ControllerSession session{&link};
    korvane::ParameterSet params;
    korvane::ParameterTransfer transfer{session, params};

    explicit Station(const korvane::SimModel& model, bool paced = false) : sim(model) {
        QVERIFY(sim.start());
        sim.setPaced(paced);
        session.setTimerIntervals(100, 2500, 100);
        QVERIFY(session.openDevice(sim.slavePath()));
        QTRY_COMPARE_WITH_TIMEOUT(session.model(), model.info(), 5000);
    }
    bool readAll(int timeoutMs = 20000) {
        using T = korvane::ParameterTransfer;
        return run(&T::startReadAll, &T::readAllFinished, timeoutMs);
    }
    bool sendAll(int timeoutMs = 30000) {
        using T = korvane::ParameterTransfer;
        return run(&T::startSendAll, &T::sendAllFinished, timeoutMs);
    }

private:
    template <typename Start, typename Done> bool run(Start start, Done done, int timeoutMs) {
        QSignalSpy spy(&transfer, done);
        return (transfer.*start)() && spy.wait(timeoutMs) && spy.last().at(0).toBool();
    }
};
