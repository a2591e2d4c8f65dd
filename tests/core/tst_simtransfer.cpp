// Read-all and send-all of the program against the simulator on a
// pseudo-terminal: every model's read-all ends with the last switch-time
// record, every send-all step gets exactly one acknowledgement, and edits made
// in the program arrive in the controller.

#include "Simulator.h"
#include "params/ParameterSet.h"
#include "serial/QtSerialLink.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"

#include <QSignalSpy>
#include <QTest>

using namespace korvane;

class TestSimTransfer : public QObject {
    Q_OBJECT

    struct Rig {
        Simulator sim;
        QtSerialLink link;
        ControllerSession session{&link};
        ParameterSet params;
        ParameterTransfer transfer{session, params};
        explicit Rig(const SimModel& model, bool paced = false) : sim(model) {
            QVERIFY(sim.start());
            sim.setPaced(paced);
            session.setTimerIntervals(100, 2500, 100);
            QVERIFY(session.openDevice(sim.slavePath()));
            QTRY_COMPARE(session.panels().text(StatusPanels::Model), model.text());
            QTRY_COMPARE(session.model(), model.info());
        }
        bool readAll(int timeoutMs) {
            QSignalSpy done(&transfer, &ParameterTransfer::readAllFinished);
            if (!transfer.startReadAll())
                return false;
            return done.wait(timeoutMs) && done.last().at(0).toBool();
        }
        bool sendAll(int timeoutMs) {
            QSignalSpy done(&transfer, &ParameterTransfer::sendAllFinished);
            if (!transfer.startSendAll())
                return false;
            return done.wait(timeoutMs) && done.last().at(0).toBool();
        }
    };

private Q_SLOTS:
    void readAndSendEveryModel_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("motors");
        QTest::addColumn<int>("slots");
        QTest::addColumn<int>("steps"); // acknowledgements of one send-all
        // Monday, six more days, names, the model's blocks, key-press (also sent
        // to a basic model), random span.
        QTest::newRow("basic") << int(SimModel::Variant::Basic) << 3 << 2 << 1 + 6 + 1 + 1 + 1;
        QTest::newRow("sensor") << int(SimModel::Variant::Sensor) << 8 << 8 << 1 + 6 + 1 + 9 + 1;
        QTest::newRow("sensor key-press")
            << int(SimModel::Variant::SensorKeyPress) << 4 << 6 << 1 + 6 + 1 + 9 + 1 + 1;
        QTest::newRow("conservatory")
            << int(SimModel::Variant::Conservatory) << 8 << 8 << 1 + 6 + 1 + 9 + 6 + 1 + 1;
    }
    void readAndSendEveryModel() {
        QFETCH(int, variant);
        QFETCH(int, motors);
        QFETCH(int, slots);
        QFETCH(int, steps);
        Rig r(SimModel(SimModel::Variant(variant), motors, slots));
        QVERIFY(r.readAll(10000));
        // The controller's factory data arrived: motor 1 of the standard profile
        // has its automatics on, the random span is 30 minutes (item 28).
        if (r.session.model().hasOutdoorAutomatics())
            QCOMPARE(r.params.record(BlockId::Shading, 0, 0).value[0], 0);
        QCOMPARE(r.params.param(SystemParam::RandomSpan), 28);

        QVERIFY(r.sendAll(20000));
        QCOMPARE(r.sim.controller().stepsAcknowledged(), steps);
        QCOMPARE(r.sim.controller().writesRefused(), 0);
        QCOMPARE(r.transfer.txStep(), 18);
    }

    void editsReachTheController() {
        Rig r(SimModel{});
        QVERIFY(r.readAll(10000));
        r.params.param(SystemParam::RandomSpan) = 58; // 60 minutes
        QVERIFY(r.params.motorNames.setName(1, QStringLiteral("Küche")));
        BlockRecord& rec = r.params.record(BlockId::Shading, 1, 2);
        rec.value[0] = 0; // EIN
        rec.changed = true;
        QVERIFY(r.sendAll(20000));
        SimParameters& p = r.sim.controller().parameters();
        QCOMPARE(p.value(*SimParameters::valueByRequest("szz")), 60);
        QCOMPARE(p.name(2), QStringLiteral("Küche       "));
        QCOMPARE(p.block(*SimParameters::blockByRequest("sbp"), 1, 3)[0], 1);

        // And back: a fresh program reads what it sent.
        ParameterSet fresh;
        std::swap(r.params, fresh);
        QVERIFY(r.readAll(10000));
        QCOMPARE(r.params.param(SystemParam::RandomSpan), 58);
        QCOMPARE(r.params.motorNames.name(1), QStringLiteral("Küche       "));
    }

    // On a paced line the step rule still holds: a pause marks the step's end.
    void pacedSendAll() {
        Rig r(SimModel(SimModel::Variant::Basic, 2, 2), true);
        QVERIFY(r.readAll(20000));
        QVERIFY(r.sendAll(30000));
        QCOMPARE(r.sim.controller().stepsAcknowledged(), 1 + 6 + 1 + 1 + 1);
        QCOMPARE(r.sim.controller().writesRefused(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimTransfer)
#include "tst_simtransfer.moc"
