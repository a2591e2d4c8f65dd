// The simulated controller without a line: replies to poll and read-all
// requests, live values, writes and send-all step acknowledgements, the
// logbook, the radio-clock indicator and the fault flags.

#include "SimController.h"
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"
#include "session/ModelInfo.h"
#include "text/Cp1252.h"

#include <QSignalSpy>
#include <QTest>

using namespace korvane;

namespace {

struct Reply {
    QByteArray code;
    QByteArray payload;
};

// Feeds the controller and cuts its output into frames with the program's own
// receiver, so every reply is also proven well-framed.
class Harness {
public:
    explicit Harness(const SimModel& model = SimModel()) : controller(model) {
        QObject::connect(&controller, &SimController::replyReady, [this](const QByteArray& f) {
            for (const ReceiverEvent& e : receiver.feed(f)) {
                QCOMPARE(e.kind, ReceiverEvent::Kind::Frame);
                replies.append({e.code, e.payload});
            }
        });
        controller.setClock([this] { return clock; });
    }
    QList<Reply> send(const QByteArray& bytes) {
        const qsizetype before = replies.size();
        controller.feed(bytes);
        return replies.mid(before);
    }
    QList<Reply> take() { return std::exchange(replies, {}); }

    QDateTime clock{QDate(2026, 12, 5), QTime(7, 5, 9)};
    SimController controller;
    FrameReceiver receiver;
    QList<Reply> replies;
};

ReplyValues values(const Reply& r) {
    const auto v = parseReplyValues(r.payload);
    if (!v)
        qFatal("payload is not a list of numbers: %s", r.payload.constData());
    return *v;
}

QMap<QByteArray, int> countByCode(const QList<Reply>& replies) {
    QMap<QByteArray, int> m;
    for (const Reply& r : replies)
        ++m[r.code];
    return m;
}

// Data values before the check value, per checked reply code.
const QMap<QByteArray, int> kCheckedCounts = {
    {"sbp", 8},  {"sdm", 6},  {"sda", 6}, {"swp", 4}, {"srp", 4}, {"sjp", 5}, {"sta", 4},
    {"spp", 10}, {"sip", 10}, {"sfp", 9}, {"sap", 7}, {"sfs", 9}, {"sld", 9}, {"slf", 9}};

// The read-all requests the program writes for a model.
QByteArray readAllRequests(const ModelInfo& m) {
    QByteArray r;
    if (m.sensor || m.conservatory)
        r += "sbpsdmsdaswpsrpsjpsoasbhsas";
    if (m.conservatory)
        r += "sppsipsfpsapsspsoi";
    if (m.keyAutomatic)
        r += "sta";
    return r + "smnszzsfs";
}

} // namespace

class TestSimController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void modelTexts_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<bool>("sensor");
        QTest::addColumn<bool>("conservatory");
        QTest::addColumn<bool>("keyPress");
        QTest::newRow("basic") << int(SimModel::Variant::Basic) << false << false << false;
        QTest::newRow("sensor") << int(SimModel::Variant::Sensor) << true << false << false;
        QTest::newRow("sensor key-press")
            << int(SimModel::Variant::SensorKeyPress) << true << false << true;
        QTest::newRow("conservatory")
            << int(SimModel::Variant::Conservatory) << true << true << true;
    }
    void modelTexts() {
        QFETCH(int, variant);
        QFETCH(bool, sensor);
        QFETCH(bool, conservatory);
        QFETCH(bool, keyPress);
        Harness h(SimModel(SimModel::Variant(variant), 4, 6));
        const QList<Reply> r = h.send("smo\r");
        QCOMPARE(r.size(), 1);
        QCOMPARE(r[0].code, QByteArray("smo"));
        QCOMPARE(r[0].payload.size(), 15);
        const ModelParse parsed = parseModel(fromCp1252(r[0].payload), ModelInfo{});
        QVERIFY(parsed.countsValid);
        QCOMPARE(parsed.info.sensor, sensor);
        QCOMPARE(parsed.info.conservatory, conservatory);
        QCOMPARE(parsed.info.keyAutomatic, keyPress);
        QCOMPARE(parsed.info.motorCount, 4);
        QCOMPARE(parsed.info.slotsPerMotor, 6);
    }

    void pollReplies() {
        Harness h;
        const QList<Reply> r = h.send("sfi\rsdt\rsti\rskd\rsmo\r");
        QCOMPARE(r.size(), 5);
        QCOMPARE(r[0].code + r[1].code + r[2].code + r[3].code + r[4].code,
                 QByteArray("sfisdtstiskdsmo"));
        QCOMPARE(r[0].payload, QByteArray("3.12"));
        QCOMPARE(r[1].payload, QByteArray("05.12.26"));
        QCOMPARE(r[2].payload, QByteArray("07:05:09"));
        QCOMPARE(r[4].payload, QByteArray("VX-4000 W 8 8ST"));

        h.clock = h.clock.addSecs(61);
        QCOMPARE(h.send("sti")[0].payload, QByteArray("07:06:10"));
        h.controller.setDateText(QStringLiteral("01.01.00"));
        QCOMPARE(h.send("sdt")[0].payload, QByteArray("01.01.00"));
    }

    void unknownAndForeignRequestsGetNoAnswer() {
        Harness h(SimModel(SimModel::Variant::Basic));
        QSignalSpy traces(&h.controller, &SimController::trace);
        // A basic controller has no shading block and no conservatory values.
        QVERIFY(h.send("xyzsbpsppssp\r").isEmpty());
        QCOMPARE(traces.size(), 4);
        QCOMPARE(h.send("sfi").size(), 1);
    }

    // Over a whole day the live values stay in their ranges and behave like
    // weather: dark at night, light at noon, minimum <= maximum.
    void liveValuesOverADay_data() {
        QTest::addColumn<int>("variant");
        QTest::newRow("conservatory") << int(SimModel::Variant::Conservatory);
        QTest::newRow("sensor") << int(SimModel::Variant::Sensor);
        QTest::newRow("basic") << int(SimModel::Variant::Basic);
    }
    void liveValuesOverADay() {
        QFETCH(int, variant);
        const SimModel model{SimModel::Variant(variant)};
        const bool outdoor = model.info().sensor || model.info().conservatory;
        const bool inside = model.info().conservatory;
        Harness h(model);
        h.clock = QDateTime(QDate(2026, 6, 1), QTime(0, 0));
        int brightestNoon = 0;
        for (int minute = 0; minute < 24 * 60; minute += 5) {
            h.clock = QDateTime(QDate(2026, 6, 1), QTime(0, 0)).addSecs(minute * 60);
            const QList<Reply> r = h.send("skd\r");
            QCOMPARE(r.size(), 1);
            QCOMPARE(r[0].payload.count(','), 16);
            const ReplyValues v = values(r[0]);
            const int hour = minute / 60;
            QVERIFY(v[0] >= 0 && v[0] <= 255);
            QVERIFY(v[14] >= 0 && v[14] <= 255);
            if (hour < 5 || hour >= 21)
                QCOMPARE(v[0], 0);
            if (hour >= 11 && hour <= 14)
                brightestNoon = std::max(brightestNoon, v[0]);
            for (int t : {1, 5}) {
                const bool present = t == 1 ? inside : outdoor;
                if (!present) {
                    QCOMPARE(v[t], SimWeather::kNoTemperature);
                    continue;
                }
                QVERIFY2(v[t] > -30 && v[t] < 60, qPrintable(QString::number(v[t])));
                QVERIFY(v[t + 1] >= 0 && v[t + 1] <= 9);
                QVERIFY(v[t + 2] <= v[t + 3]);
                QVERIFY(v[t] >= v[t + 2] - 1 && v[t] <= v[t + 3] + 1);
            }
            QVERIFY(v[9] >= 0 && v[9] < 120);
            QVERIFY(v[10] >= v[9]);
            QCOMPARE(v[13], v[9]);
            QVERIFY(v[11] == 0);
            QVERIFY(v[12] == 0 || v[12] == 1);
            if (inside)
                QVERIFY(v[15] >= 1 && v[15] <= 99);
            else
                QCOMPARE(v[15], 0);
            if (!outdoor) {
                QCOMPARE(v[0], 0);
                QCOMPARE(v[9], 0);
                QCOMPARE(v[12], 0);
            }
        }
        if (outdoor)
            QVERIFY(brightestNoon > 20);
    }

    void windMaxResetBySwl() {
        Harness h(SimModel(SimModel::Variant::Sensor));
        ReplyValues v{};
        // Gusts raise the maximum above the current speed sooner or later.
        for (int i = 0; i < 500; ++i) {
            h.clock = h.clock.addSecs(10);
            v = values(h.send("skd")[0]);
            if (v[10] > v[9])
                break;
        }
        QVERIFY(v[10] > v[9]);
        QVERIFY(h.send("swl").isEmpty()); // no reply to the reset
        v = values(h.send("skd")[0]);
        QCOMPARE(v[10], v[9]);
    }

    void alarmShowsInLiveValues() {
        Harness h;
        h.controller.weather().setAlarm(true);
        QCOMPARE(values(h.send("skd")[0])[11], 1);
    }

    void readAll_data() {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("motors");
        QTest::addColumn<int>("slots");
        QTest::newRow("conservatory 8x8") << int(SimModel::Variant::Conservatory) << 8 << 8;
        QTest::newRow("sensor 8x8") << int(SimModel::Variant::Sensor) << 8 << 8;
        QTest::newRow("key-press 4x6") << int(SimModel::Variant::SensorKeyPress) << 4 << 6;
        QTest::newRow("basic 3x2") << int(SimModel::Variant::Basic) << 3 << 2;
    }
    void readAll() {
        QFETCH(int, variant);
        QFETCH(int, motors);
        QFETCH(int, slots);
        const SimModel model(SimModel::Variant(variant), motors, slots);
        Harness h(model);
        const QList<Reply> r = h.send(readAllRequests(model.info()));
        const QMap<QByteArray, int> counts = countByCode(r);
        const bool outdoor = model.info().sensor || model.info().conservatory;
        for (const QByteArray code : {"sbp", "sdm", "sda", "swp", "srp", "sjp"})
            QCOMPARE(counts.value(code), outdoor ? 2 * motors : 0);
        for (const QByteArray code : {"spp", "sip", "sfp", "sap"})
            QCOMPARE(counts.value(code), model.info().conservatory ? 2 * motors : 0);
        QCOMPARE(counts.value("sta"), model.info().keyAutomatic ? 2 * motors : 0);
        QCOMPARE(counts.value("sas"), outdoor ? motors : 0);
        QCOMPARE(counts.value("smn"), 8);
        QCOMPARE(counts.value("szz"), 1);
        QCOMPARE(counts.value("sfs"), 7 * motors * slots);

        for (const Reply& reply : r) {
            if (kCheckedCounts.contains(reply.code))
                QVERIFY2(checkSumMatches(values(reply), kCheckedCounts[reply.code]),
                         reply.code + " " + reply.payload);
        }
        // The last switch-time record comes last and ends the program's read-all.
        const ReplyValues last = values(r.last());
        QCOMPARE(r.last().code, QByteArray("sfs"));
        QCOMPARE(last[0], 7);
        QCOMPARE(last[1], motors);
        QCOMPARE(last[2], slots);
        QCOMPARE(r.first().code, outdoor ? QByteArray("sbp") : QByteArray("smn"));
        const auto firstName =
            std::find_if(r.begin(), r.end(), [](const Reply& x) { return x.code == "smn"; });
        QCOMPARE(firstName->payload, QByteArray("1,Motor 1     "));
    }

    // Writes of a send-all step are stored and acknowledged with one "stc"
    // once the line goes quiet; a refused write makes it "1,".
    void writesAndStepAcknowledgement_data() {
        QTest::addColumn<QByteArray>("writes");
        QTest::addColumn<QByteArray>("ack");
        QTest::addColumn<int>("stored");
        QTest::newRow("two shading records")
            << QByteArray(" rbp1\r3\r1\r110\r6\r22\r200\r190\r533\r"
                          " rbp1\r8\r0\r122\r10\r20\r244\r10\r415\r")
            << QByteArray("0,") << 2;
        QTest::newRow("wrong check sum")
            << QByteArray(" rbp1\r3\r1\r110\r6\r22\r200\r190\r534\r") << QByteArray("1,") << 0;
        QTest::newRow("value out of range")
            << QByteArray(" rbp1\r3\r1\r110\r6\r22\r200\r191\r534\r") << QByteArray("1,") << 0;
        QTest::newRow("motor beyond the model")
            << QByteArray(" rwp0\r9\r1\r30\r40\r") << QByteArray("1,") << 0;
        QTest::newRow("one bad among good")
            << QByteArray(" rzz60\r60\r rbh12\r13\r roa97\r97\r") << QByteArray("1,") << 2;
        QTest::newRow("switch times of a day")
            << QByteArray(" rfs2\r3\r2\r1\r6\r30\r40\r5\r0\r89\r"
                          " rfs2\r8\r8\r1\r24\r0\r40\r1\r0\r84\r")
            << QByteArray("0,") << 2;
        QTest::newRow("motor names") << QByteArray(" rmn1\rWohnzimmer  \rWohnzimmer  \r rmn2\rK\xfc"
                                                   "che       \rK\xfc"
                                                   "che       \r")
                                     << QByteArray("0,") << 2;
        QTest::newRow("alarm setup")
            << QByteArray(" ras3\r2\r5\r ras4\r0\r4\r") << QByteArray("0,") << 2;
        QTest::newRow("key-press record")
            << QByteArray(" rta 1\r8\r1\r40\r50\r") << QByteArray("0,") << 1;
    }
    void writesAndStepAcknowledgement() {
        QFETCH(QByteArray, writes);
        QFETCH(QByteArray, ack);
        QFETCH(int, stored);
        Harness h;
        h.controller.setAckQuietMs(20);
        // Byte by byte, as a slow line delivers it: still one step.
        for (char c : writes)
            QVERIFY(h.send(QByteArray(1, c)).isEmpty());
        QTRY_COMPARE(h.replies.size(), 1);
        QCOMPARE(h.replies[0].code, QByteArray("stc"));
        QCOMPARE(h.replies[0].payload, ack);
        QCOMPARE(h.controller.writesStored(), stored);
        QTest::qWait(60);
        QCOMPARE(h.replies.size(), 1);
    }

    void writesReadBack() {
        Harness h;
        h.controller.setAckQuietMs(5);
        h.send(" rbp1\r3\r1\r110\r6\r22\r200\r190\r533\r"
               " rfs2\r3\r2\r1\r6\r30\r40\r5\r0\r89\r"
               " rmn2\rK\xfc"
               "che       \rK\xfc"
               "che       \r"
               " ras3\r2\r5\r rzz60\r60\r rsp1\r1\r rta 1\r8\r1\r40\r50\r");
        QTRY_COMPARE(h.controller.stepsAcknowledged(), 1);
        h.take();
        const QList<Reply> r = h.send("sbpsfssmnsasszzsspsta");
        auto find = [&](const QByteArray& code, const QByteArray& prefix) {
            for (const Reply& x : r)
                if (x.code == code && x.payload.startsWith(prefix))
                    return x.payload;
            return QByteArray();
        };
        QCOMPARE(find("sbp", "1,3,"), QByteArray("1,3,1,110,6,22,200,190,533,"));
        QCOMPARE(find("sfs", "2,3,2,"), QByteArray("2,3,2,1,6,30,40,5,0,89,"));
        QCOMPARE(find("smn", "2,"), QByteArray("2,K\xfc"
                                               "che       "));
        QCOMPARE(find("sas", "3,"), QByteArray("3,2,"));
        QCOMPARE(find("szz", ""), QByteArray("60,"));
        QCOMPARE(find("ssp", ""), QByteArray("1,"));
        QCOMPARE(find("sta", "1,8,"), QByteArray("1,8,1,40,50,"));
        QCOMPARE(h.controller.parameters().name(2), QStringLiteral("Küche       "));
    }

    void requestAfterWritesEndsTheStepFirst() {
        Harness h;
        h.controller.setAckQuietMs(10000);
        const QList<Reply> r = h.send(" rzz30\r30\rsfi\r");
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].code, QByteArray("stc"));
        QCOMPARE(r[1].code, QByteArray("sfi"));
        QVERIFY(!h.controller.stepPending());
    }

    // The program's send-all for a basic model: Monday from the button, six
    // more days, names, key-press (none here) and random span: every step
    // answered with exactly one acknowledgement.
    void sendAllChainOneAckPerStep() {
        Harness h(SimModel(SimModel::Variant::Basic, 2, 2));
        h.controller.setAckQuietMs(10);
        auto day = [](int d) {
            QByteArray b;
            for (int m = 1; m <= 2; ++m)
                for (int s = 1; s <= 2; ++s) {
                    const int v[] = {d, m, s, 1, 24, 0, 40, 1, 0};
                    b += " rfs";
                    int sum = 0;
                    for (int x : v) {
                        b += QByteArray::number(x) + '\r';
                        sum += x;
                    }
                    b += QByteArray::number(sum) + '\r';
                }
            return b;
        };
        QByteArray names;
        for (int m = 1; m <= 8; ++m)
            names += " rmn" + QByteArray::number(m) + "\rMotor " + QByteArray::number(m) +
                     "     \rMotor " + QByteArray::number(m) + "     \r";
        QList<QByteArray> steps;
        for (int d = 1; d <= 7; ++d)
            steps << day(d);
        steps << names << " rzz30\r30\r";
        for (int i = 0; i < steps.size(); ++i) {
            h.send(steps[i]);
            QTRY_COMPARE(h.controller.stepsAcknowledged(), i + 1);
            QCOMPARE(h.replies.last().payload, QByteArray("0,"));
        }
        QCOMPARE(h.replies.size(), steps.size());
        QCOMPARE(h.controller.writesRefused(), 0);
    }

    void manualCommands() {
        Harness h;
        const int before = h.controller.logbook().count();
        QVERIFY(h.send(" rhi\r rhb3\rdown\r694\r + sti\r rhb5\roff\r694\r + sti\r").isEmpty());
        QVERIFY(h.controller.manualMode());
        QCOMPARE(h.controller.logbook().count(), before + 1); // "off" moves nothing
        QVERIFY(h.send(" rhb9\rup\r694\r + sti\r rhe\r").isEmpty());
        QCOMPARE(h.controller.logbook().count(), before + 1);
        QVERIFY(!h.controller.manualMode());
        QVERIFY(!h.controller.stepPending()); // manual commands are no send-all step
    }

    void badChecksumFault() {
        Harness h;
        h.controller.setFaults(SimFaults{.badChecksum = true});
        const QList<Reply> r = h.send("sbpsfsskdsmn");
        int checked = 0;
        for (const Reply& reply : r) {
            if (kCheckedCounts.contains(reply.code)) {
                ++checked;
                QVERIFY(!checkSumMatches(values(reply), kCheckedCounts[reply.code]));
            }
        }
        QCOMPARE(checked, 16 + 448);
        QCOMPARE(countByCode(r).value("skd"), 1);
        QCOMPARE(countByCode(r).value("smn"), 8);
    }

    void logbookPages() {
        Harness h;
        h.controller.logbook().handle("sll");
        h.controller.logbook().seed(150);
        QCOMPARE(h.send("sla")[0].payload, QByteArray("150,"));
        auto page = [&](const QByteArray& request) {
            const QList<Reply> r = h.send(request);
            for (const Reply& x : r)
                if (!checkSumMatches(values(x), 9))
                    qFatal("logbook entry check sum");
            return r;
        };
        QList<Reply> r = page("sld");
        QCOMPARE(r.size(), 101);
        QCOMPARE(values(r[0])[0], 1);
        QCOMPARE(values(r[99])[0], 100);
        QCOMPARE(values(r[100])[0], 9999);
        r = page("sld");
        QCOMPARE(r.size(), 51);
        QCOMPARE(values(r[0])[0], 101);
        r = page("sld");
        QCOMPARE(r.size(), 1); // read position at the end: only the end entry
        h.send("slr");
        QCOMPARE(page("sld").size(), 101);
        QCOMPARE(page("slf").size(), 151);
        for (const Reply& x : page("slf")) {
            const ReplyValues v = values(x);
            QVERIFY(v[1] >= 1 && v[1] <= 8);
            if (v[0] != 9999) {
                QVERIFY(v[3] >= 1 && v[3] <= 31);
                QVERIFY(v[4] >= 1 && v[4] <= 12);
                QVERIFY(v[5] >= 0 && v[5] <= 23);
            }
        }
        h.send("sll");
        QCOMPARE(h.send("sla")[0].payload, QByteArray("0,"));
        r = page("sld");
        QCOMPARE(r.size(), 1);
        const ReplyValues end = values(r[0]);
        QCOMPARE(end[0], 9999);
        QCOMPARE(end[3], 0); // day and month 0: no entries stored
        QCOMPARE(end[4], 0);
    }

    void radioClockIndicator() {
        Harness h;
        h.controller.setDcfIndicatorDurationMs(1000);
        h.clock.setTime(QTime(10, 0, 0, 50));
        QVERIFY(h.send(" sdr").isEmpty());
        QVERIFY(h.controller.dcfIndicatorActive());
        QList<Reply> r = h.send(" sti sds");
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[0].code, QByteArray("sti"));
        QCOMPARE(r[1].payload, QByteArray("1,")); // inside the second mark
        h.clock = h.clock.addMSecs(500);
        QCOMPARE(h.send(" sds")[0].payload, QByteArray("0,"));
        h.clock = h.clock.addMSecs(600);
        r = h.send(" sds");
        QCOMPARE(r.size(), 2);
        QCOMPARE(r[1].code, QByteArray("sts"));
        QVERIFY(!h.controller.dcfIndicatorActive());
    }
};

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_simcontroller.moc"
