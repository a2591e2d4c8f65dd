#include "FakeLink.h"
#include "SimController.h"

#include "session/ParameterTransfer.h"

#include <QSignalSpy>
#include <QTest>

using namespace korvane;

namespace {

const QByteArray kBasic = "VX-1000   8 8  ";
const QByteArray kSensor = "VX-2000   8 8S ";
const QByteArray kSensorKey = "VX-2000   8 8ST";
const QByteArray kConservatory = "VX-4000 W 8 8ST";

struct Rig {
    FakeLink link;
    ControllerSession session{&link};
    ParameterSet params;
    ParameterTransfer transfer{session, params};
    QStringList activityTexts;

    QSignalSpy readDone{&transfer, &ParameterTransfer::readAllFinished};
    QSignalSpy sendDone{&transfer, &ParameterTransfer::sendAllFinished};

    explicit Rig(const QByteArray& model) {
        session.setTimerIntervals(1000000, 1000000, 1000000);
        session.openDevice(QStringLiteral("/dev/fake"));
        link.receive(frame("smo", model) + frame("sdt", "05.12.26"));
        session.pollTick();
        link.written.clear();
        QObject::connect(&session.panels(), &StatusPanels::changed,
                         [this](int p, const QString& t) {
                             if (p == StatusPanels::Activity && !t.isEmpty())
                                 activityTexts << t;
                         });
    }
    // Acknowledges every step until the chain ends.
    void acknowledgeAll() {
        for (int acks = 0; acks < 100 && session.activity() == Activity::SendAll; ++acks)
            link.receive(frame("stc", "0,"));
    }
};

// The activity texts of a conservatory's whole send chain; other models skip steps.
QStringList chainTexts(const QList<int>& afterDays) {
    QStringList out;
    for (const char* day : {"Montag    ", "Dienstag  ", "Mittwoch  ", "Donnerstag", "Freitag   ",
                            "Samstag   ", "Sonntag   "})
        out << QStringLiteral("Tx Schaltzeiten ") + QLatin1String(day);
    const QStringList steps =
        QStringLiteral(
            "Tx Motor-Namen|Tx Jalousie-Parameter|Tx Beschattungsparameter|"
            "Tx Dämmerungssteuerung Morgen|Tx Dämmerungssteuerung Abend|Tx Wind-Parameter|"
            "Tx Regen-Parameter|Tx Offset Außentemperatur|Tx Beschattungs-Hysterese|"
            "Tx Alarm-Setup|Tx Proportionale Temperatur-Strg.|Tx Innentemperatur-Strg.|"
            "Tx Luftfeuchtigkeit|Tx Außentemperatur-Strg.|Tx Profil|Tx Offset Innentemp.|"
            "Tx Tast-Automatik-Parameter|Tx Zufalls-Zeitspanne")
            .split(QLatin1Char('|'));
    for (int i : afterDays)
        out << steps[i];
    return out;
}

// What a simulated controller of `model` answers to `requests`, one frame per entry.
QList<QByteArray> simAnswers(const QByteArray& model, const QByteArray& requests) {
    SimController sim(SimModel::fromText(QString::fromLatin1(model)));
    QList<QByteArray> frames;
    QObject::connect(&sim, &SimController::replyReady, [&](const QByteArray& f) { frames << f; });
    sim.feed(requests);
    return frames;
}

} // namespace

class TestParameterTransfer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sendChainFollowsTheModel() {
        // The model and the steps after the days, as indices into the whole chain.
        const std::pair<QByteArray, QList<int>> rows[] = {
            {kBasic, {0, 16, 17}},
            {kSensor, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 17}},
            {kSensorKey, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16, 17}},
            {kConservatory, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}}};
        for (const auto& [model, afterDays] : rows) {
            Rig r(model);
            QVERIFY(r.transfer.startSendAll());
            QCOMPARE(r.session.activity(), Activity::SendAll);
            r.acknowledgeAll();
            QCOMPARE(r.activityTexts, chainTexts(afterDays));
            QCOMPARE(r.sendDone.size(), 1);
            QVERIFY(r.sendDone.first().first().toBool());
            QCOMPARE(r.session.activity(), Activity::Idle);
        }
    }

    void unchangedDataStillSendsTheAlwaysSentRecords() {
        Rig r(kSensor);
        applyChangedEvent(r.params, ChangedEvent::SendAllDone); // nothing changed
        r.transfer.startSendAll();
        r.acknowledgeAll();
        const QByteArray& w = r.link.written;
        QCOMPARE(
            (QList<qsizetype>{w.count(" rfs"), w.count(" rmn"), w.count(" rbp"), w.count(" rjp")}),
            (QList<qsizetype>{7, 8, 1, 1}));
        QVERIFY(w.contains(" rbp1\r8\r")); // profile 1, last motor
    }

    void acknowledgementErrorsAndStrayAcknowledgements() {
        Rig r(kSensor);
        r.link.receive(frame("stc", "0,")); // no send-all: nothing happens
        QVERIFY(r.link.written.isEmpty());
        QCOMPARE(r.transfer.txStep(), 0);

        r.transfer.startSendAll();
        for (int i = 0; i < 8; ++i) // six days, names, reversing: now at step 3
            r.link.receive(frame("stc", "0,"));
        QCOMPARE(r.transfer.txStep(), 3);
        r.link.receive(frame("stc", "1,"));
        QCOMPARE(r.session.panels().text(StatusPanels::Error), QStringLiteral("Fehler 3"));
        QCOMPARE(r.transfer.txStep(), 4); // the chain goes on all the same
    }

    void readAllRequestsByModel() {
        for (const auto& [model, requests] :
             {std::pair{kBasic, QByteArray("smnszzsfs")},
              std::pair{kSensor, QByteArray("sbpsdmsdaswpsrpsjpsoasbhsassmnszzsfs")},
              std::pair{kConservatory,
                        QByteArray("sbpsdmsdaswpsrpsjpsoasbhsassppsipsfpsapsspsoistasmnszzsfs")}}) {
            Rig r(model);
            QVERIFY(r.transfer.startReadAll());
            QCOMPARE(r.link.written, requests);
            QCOMPARE(r.session.activity(), Activity::ReadAll);
            QVERIFY(!r.transfer.startSendAll()); // sequences exclude each other
        }
    }

    void readAllEndsWithTheLastSlotOnlyWhenComplete() {
        Rig r(kBasic);
        // A stray last record while idle ends nothing and keeps the user's flags.
        const int changedBefore = r.params.switchTimes.changedCount();
        r.link.receive(frame("sfs", "7,8,8,0,6,30,40,1,0,101,"));
        QVERIFY(r.params.switchTimes.changedCount() >= changedBefore - 1);
        QCOMPARE(r.readDone.size(), 0);
        r.transfer.startReadAll();
        // The controller's answer, the first slot record held back.
        QList<QByteArray> frames = simAnswers(kBasic, "smnszzsfs");
        const QByteArray firstSlot = frames.takeAt(9); // 8 names, szz, then slot 1
        frames.replace(2, frame("smn", "3,K\374che       "));
        r.link.receive(frames.join());
        QCOMPARE(r.readDone.size(), 0);
        QCOMPARE(r.link.written, QByteArray("smnszzsfsszzsfs")); // asked again
        r.link.receive(firstSlot);
        QCOMPARE(r.readDone.size(), 0); // the round's end is still to come
        r.link.receive(frames.join());
        QCOMPARE(r.readDone.size(), 1);
        QVERIFY(r.readDone.first().first().toBool());
        QCOMPARE(std::tuple(r.session.activity(), r.params.switchTimes.changedCount(),
                            r.session.panels().text(StatusPanels::Activity)),
                 std::tuple(Activity::Idle, 0, QString()));
        QCOMPARE(r.params.motorNames.name(2), QStringLiteral("K\u00FCche       "));
        // Once it is over, a stray last record keeps what the user changed since.
        r.params.switchTimes.at(0, 0, 0).changed = 1;
        r.link.receive(frames.last());
        QCOMPARE(r.readDone.size(), 1);
        QCOMPARE(r.params.switchTimes.changedCount(), 1);
    }

    // The checklist after the given records: "+" when complete, else "-" and what is missing.
    void incompleteReadMessages() {
        const auto after = [](const QByteArray& model, const QList<int>& missingSlots, bool names) {
            ReadAllChecklist list;
            const ModelInfo info = parseModel(QString::fromLatin1(model), {}).info;
            list.expect(info);
            if (!info.hasOutdoorAutomatics()) {
                list.arrived("szz", 0);
                for (int m = 1; m <= 8 && names; ++m)
                    list.arrived("smn", m);
                for (int d = 1; d <= 7; ++d)
                    for (int m = 1; m <= 8; ++m)
                        for (int slot = 1; slot <= 8; ++slot)
                            if (!missingSlots.contains(ReadAllChecklist::slotKey(d, m, slot)))
                                list.arrived("sfs", ReadAllChecklist::slotKey(d, m, slot));
            }
            return (list.complete() ? "+" : "-") + list.incompleteMessage();
        };
        const QString lacks = QStringLiteral("-Lesen unvollst\u00E4ndig: ");
        QCOMPARE(after(kBasic, {}, true), "+");
        QCOMPARE(after(kBasic, {123}, true), lacks + "Schaltzeit Mo Motor 2 Nr. 3 fehlt");
        QCOMPARE(after(kBasic, {123, 788}, false),
                 lacks +
                     "Motornamen, Schaltzeit Mo Motor 2 Nr. 3, Schaltzeit So Motor 8 Nr. 8 fehlen");
        QCOMPARE(after(kBasic, {111, 112, 113, 114}, true),
                 lacks + "Schaltzeiten (4 Datens\u00E4tze) fehlen");
        QCOMPARE(after(kSensor, {}, false), // nothing arrives from a sensor model
                 lacks + "Beschattung, D\u00E4mmerung Morgen, D\u00E4mmerung Abend, Wind, Regen, "
                         "Reversier-Automatik, 6 weitere fehlen");
    }

    void stalledReadAllPutsEverythingBack() {
        Rig r(kSensor);
        r.transfer.setTimeouts(30, 30);
        r.params.motorNames.setName(0, QStringLiteral("Wohnzimmer"));
        r.params.switchTimes.at(0, 0, 0).time = 391;
        const ParameterSet before = r.params;
        r.transfer.startReadAll();
        r.link.receive(frame("smn", "1,Bad         "));
        QTRY_COMPARE(r.readDone.size(), 1);
        QVERIFY(!r.readDone.first().first().toBool());
        QVERIFY(r.params == before);
        QCOMPARE(r.session.activity(), Activity::Idle);
        // It answered once: what it never sent is named. The re-request that went unanswered
        // was the last.
        const QString activity = r.session.panels().text(StatusPanels::Activity);
        QVERIFY(activity.startsWith(QStringLiteral("Lesen unvollst\u00E4ndig: Beschattung, ")));
        QCOMPARE(r.link.written.count("sbp"), 2);

        Rig silent(kSensor);
        silent.transfer.setTimeouts(30, 30);
        silent.transfer.startReadAll();
        QTRY_COMPARE(silent.readDone.size(), 1);
        QCOMPARE(silent.readDone.first().at(1).toString(), ParameterTransfer::kReadTimeoutText);
    }

    // A send-all that ends early, by a missing acknowledgement or a stop: the steps the
    // controller accepted are sent, the others stay marked, and the message names the last
    // acknowledged step. A stop waits for the step on the line.
    void sendAllEndingEarlyKeepsUnsentMarked() {
        const QString state = QStringLiteral(
            ". Zuletzt hat die Steuerung den Schritt \u201ESchaltzeiten Montag\u201C quittiert. "
            "Die "
            "Steuerung hat jetzt teils alte, teils neue Einstellungen. Bitte senden Sie die Daten "
            "erneut.");
        for (const bool stop : {false, true}) {
            Rig r(kSensor);
            r.transfer.setTimeouts(30, stop ? 100000 : 30);
            r.transfer.startSendAll();
            r.link.receive(frame("stc", "0,"));
            const QByteArray tuesday = r.link.written;
            if (stop) {
                r.transfer.stop(QStringLiteral("Senden abgebrochen durch SIGTERM"));
                QTest::qWait(50);
                QCOMPARE(r.sendDone.size(), 0); // Tuesday is on the line
                r.link.receive(frame("stc", "0,"));
                QCOMPARE(r.link.written, tuesday); // nothing after it
            } else {
                // The grace starts when the next day's bytes (about 2 s at 960 bytes/s) are out.
                QTest::qWait(300);
                QCOMPARE(r.sendDone.size(), 0);
            }
            QTRY_COMPARE_WITH_TIMEOUT(r.sendDone.size(), 1, 10000);
            QCOMPARE(r.sendDone.first().at(1).toString(),
                     stop ? QStringLiteral("Senden abgebrochen durch SIGTERM") +
                                QString(state).replace("Montag", "Dienstag")
                          : ParameterTransfer::kSendTimeoutText + state);
            QCOMPARE(r.session.activity(), Activity::Idle);
            const auto dayMarked = [&r](int day) {
                return r.params.switchTimes.at(day, 7, 7).changed != 0;
            };
            QCOMPARE((QList<bool>{dayMarked(0), dayMarked(1), dayMarked(2), dayMarked(6),
                                  r.params.record(BlockId::Shading, 0, 0).changed}),
                     (QList<bool>{false, !stop, true, true, true}));
            // Polling is back.
            r.link.written.clear();
            r.session.pollTick();
            QVERIFY(r.link.written.startsWith("sfi\r"));
        }
    }

    // Which tables each event marks (1) or clears (0): switch times, shading (for the common
    // blocks), humidity, reversing and key-press.
    void eventsMarkTheirTables() {
        Rig r(kConservatory);
        const auto flags = [&r] {
            QByteArray out(1, r.params.switchTimes.changedCount() ? '1' : '0');
            for (BlockId id :
                 {BlockId::Shading, BlockId::Humidity, BlockId::Reversing, BlockId::KeyPress})
                out += r.params.record(id, 1, 7).changed ? '1' : '0';
            return out;
        };
        applyChangedEvent(r.params, ChangedEvent::SendAllDone);
        r.session.changePort(QStringLiteral("/dev/other"));
        QCOMPARE(flags(), "11000");
        applyChangedEvent(r.params, ChangedEvent::SendAllDone);
        r.session.watchdogTick();
        r.session.watchdogTick(); // silence
        QCOMPARE(flags(), "11000");

        applyChangedEvent(r.params, ChangedEvent::Startup);
        r.link.receive(frame("smo", kConservatory));
        r.session.pollTick();
        r.link.written.clear();
        r.transfer.startReadAll();
        r.link.receive(simAnswers(kConservatory, r.link.written).join());
        QCOMPARE(r.session.activity(), Activity::Idle);
        QCOMPARE(flags(), "00011");
        r.transfer.startSendAll();
        r.acknowledgeAll();
        QCOMPARE(flags(), "00000");
    }
};

QTEST_GUILESS_MAIN(TestParameterTransfer)
#include "tst_parametertransfer.moc"
