// The program's controller session against the simulator on a
// pseudo-terminal: the poll cycle connects and learns the model, the watchdog
// notices an unplugged line and the session recovers, the radio-clock
// indicator blinks and is ended by the controller.

#include "Simulator.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"

#include <QSignalSpy>
#include <QTest>

using namespace korvane;

class TestSimSession : public QObject {
    Q_OBJECT

    struct Rig {
        Simulator sim;
        QtSerialLink link;
        ControllerSession session{&link};
        explicit Rig(const SimModel& model) : sim(model) {
            QVERIFY(sim.start());
            session.setTimerIntervals(100, 400, 50);
            QVERIFY(session.openDevice(sim.slavePath()));
        }
        QString panel(int p) const { return session.panels().text(p); }
    };

private Q_SLOTS:
    void pollConnectsAndLearnsModel_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("motors");
        QTest::addColumn<int>("slots");
        QTest::newRow("conservatory") << int(SimModel::Variant::Conservatory) << 8 << 8;
        QTest::newRow("basic") << int(SimModel::Variant::Basic) << 4 << 6;
    }
    void pollConnectsAndLearnsModel() {
        QFETCH(int, variant);
        QFETCH(int, motors);
        QFETCH(int, slots);
        const SimModel model(SimModel::Variant(variant), motors, slots);
        Rig r(model);
        r.sim.controller().setDateText(QStringLiteral("01.01.00"));
        QSignalSpy state(&r.session, &ControllerSession::pollState);
        QTRY_COMPARE(r.panel(StatusPanels::Model), model.text());
        QCOMPARE(r.panel(StatusPanels::Version), QStringLiteral("V3.12"));
        QTRY_COMPARE(r.panel(StatusPanels::Date), QStringLiteral("01.01.00"));
        QTRY_VERIFY(!state.isEmpty() && state.last().at(0).toBool());
        const ModelInfo info = state.last().at(1).value<ModelInfo>();
        QCOMPARE(info, model.info());
        QCOMPARE(info.motorCount, motors);
        QCOMPARE(info.slotsPerMotor, slots);
        // Live values reached the pages; the outside sensor only where there is one.
        QTRY_VERIFY(!r.session.lastLiveValues().windNow.isEmpty());
        QCOMPARE(r.panel(StatusPanels::Outside).isEmpty(), !info.hasOutdoorAutomatics());
    }

    void unpluggedLineIsNoticedAndRecovered() {
        Rig r(SimModel{});
        QTRY_COMPARE(r.panel(StatusPanels::Model), QStringLiteral("VX-4000 W 8 8ST"));
        QSignalSpy lost(&r.session, &ControllerSession::connectionLost);
        r.sim.setAnswering(false);
        QTRY_COMPARE(r.panel(StatusPanels::Model), kNoConnectionText);
        QVERIFY(!lost.isEmpty());
        r.sim.setAnswering(true);
        QTRY_COMPARE(r.panel(StatusPanels::Model), QStringLiteral("VX-4000 W 8 8ST"));
    }

    void radioClockIndicatorEndedByController() {
        Rig r(SimModel{});
        r.sim.controller().setDcfIndicatorDurationMs(1500);
        QTRY_COMPARE(r.panel(StatusPanels::Model), QStringLiteral("VX-4000 W 8 8ST"));
        QSignalSpy leds(&r.session, &ControllerSession::dcfLed);
        QSignalSpy mode(&r.session, &ControllerSession::dcfIndicatorChanged);
        r.session.startDcfIndicator();
        QVERIFY(r.session.dcfIndicatorActive());
        QTRY_VERIFY_WITH_TIMEOUT(!r.session.dcfIndicatorActive(), 5000);
        QVERIFY(!mode.isEmpty() && !mode.last().at(0).toBool());
        bool lit = false, dark = false;
        for (const auto& args : leds)
            (args.at(0).toBool() ? lit : dark) = true;
        QVERIFY(lit && dark); // it blinked
    }
};

QTEST_GUILESS_MAIN(TestSimSession)
#include "tst_simsession.moc"
