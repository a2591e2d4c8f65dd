// The simulated controller without a line: parser, replies, writes, logbook, clock, faults.

#include "SimController.h"
#include "SimLoopbackLink.h"
#include "SimOptions.h"
#include "Simulator.h"
#include "session/ControllerSession.h"

#include <QCommandLineParser>
#include <QSignalSpy>
#include <QTest>

using namespace korvane;
using Variant = SimModel::Variant;

namespace {

struct Reply {
    QByteArray code;
    QByteArray payload;
};

// Feeds the controller and cuts its output with the program's receiver (proving the framing).
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

    QDateTime clock{QDate(2026, 12, 5), QTime(7, 5, 9)};
    SimController controller;
    FrameReceiver receiver;
    QList<Reply> replies;
};

ReplyValues values(const Reply& r) {
    return parseReplyValues(r.payload).value(); // throws (the test fails) on a bad payload
}

QList<int> slice(const ReplyValues& v, int from, int n) {
    return QList<int>(v.begin() + from, v.begin() + from + n);
}

bool in(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Data values before the check value, per checked reply code.
const QMap<QByteArray, int> kCheckedCounts = {
    {"sbp", 8},  {"sdm", 6},  {"sda", 6}, {"swp", 4}, {"srp", 4}, {"sjp", 5}, {"sta", 4},
    {"spp", 10}, {"sip", 10}, {"sfp", 9}, {"sap", 7}, {"sfs", 9}, {"sld", 9}, {"slf", 9}};

// What the parser reported: "key" ("!" on a failed check), "?bytes" ignored, "~bytes" abandoned.
QStringList render(const SimCommandParser& parser, const QList<SimParsed>& items) {
    QStringList out;
    for (const SimParsed& p : items) {
        if (p.kind == SimParsed::Kind::Command)
            out << QString::fromLatin1(parser.commands()[p.command].key) + (p.checkOk ? "" : "!");
        else
            out << (p.kind == SimParsed::Kind::Ignored ? "?" : "~") + QString::fromLatin1(p.bytes);
    }
    return out;
}

SimCommandParser parser() {
    QList<SimCommand> table{{" rbp", 9, SimFieldType::Number, SimCheck::Sum},
                            {" rta ", 5, SimFieldType::Number, SimCheck::Sum},
                            {" rzz", 2, SimFieldType::Number, SimCheck::Sum},
                            {" rmn", 3, SimFieldType::Text, SimCheck::LastRepeats}};
    for (const char* request : {"sfi", "sti", " sti", " sds", "sbp"})
        table.append({request});
    return SimCommandParser(table);
}

} // namespace

class TestSimController : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseWholeInput() {
        const QByteArray ones(60, '1');
        // The input and the items reported for it, joined with '|'.
        const std::pair<QByteArray, QString> rows[] = {
            {" rbp2147483647\r1\r0\r0\r0\r0\r0\r0\r-2147483648\r", " rbp"}, // sum wraps at 32 bits
            {" rzz30\r31\r", " rzz!"},                        // single value copies differ
            {" rmn3\rKueche      \rKuche       \r", " rmn!"}, // name copies differ
            {"sfixyz\rsti\r", "sfi|?xyz\r|sti"},
            {" rqq5\r5\rsfi", "? rqq5\r5\r|sfi"},
            {"\r\n\rsfi\r\n", "sfi"},           // lone CR and LF are no input
            {" rzz30\rsfi\r", "~ rzz30\r|sfi"}, // cut short: abandoned, requests survive
            {" rzz" + ones + "\r1\r", "~ rzz|?" + ones + "\r1\r"}, // overlong field
            {" rzz" + ones.left(41), "~ rzz|?" + ones.left(41)},   // no wait for its CR
        };
        for (const auto& [input, expected] : rows) {
            SimCommandParser p = parser();
            QCOMPARE(render(p, p.feed(input)).join(QLatin1Char('|')), expected);
            QVERIFY(p.pending().isEmpty());
        }
    }

    void pollReplies() {
        Harness h;
        const QList<Reply> r = h.send("sfi\rsdt\rsti\rskd\rsmo\r");
        QCOMPARE(r.size(), 5);
        QCOMPARE(r[0].code + r[1].code + r[2].code + r[3].code + r[4].code, "sfisdtstiskdsmo");
        QCOMPARE(r[0].payload + '|' + r[1].payload + '|' + r[2].payload + '|' + r[4].payload,
                 QByteArray("3.12|05.12.26|07:05:09|VX-4000 W 8 8ST"));

        h.clock = h.clock.addSecs(61);
        QCOMPARE(h.send("sti")[0].payload, QByteArray("07:06:10"));
        h.controller.setDateText(QStringLiteral("01.01.00"));
        QCOMPARE(h.send("sdt")[0].payload, QByteArray("01.01.00"));
        // A request after writes ends their step first.
        h.controller.setAckQuietMs(10000);
        const QList<Reply> s = h.send(" rzz30\r30\rsfi\r");
        QCOMPARE(s.size(), 2);
        QCOMPARE(s[0].code + s[1].code, "stcsfi");
        QVERIFY(!h.controller.stepPending());
    }

    void unknownAndForeignRequestsGetNoAnswer() {
        Harness h{SimModel(Variant::Basic)};
        QSignalSpy traces(&h.controller, &SimController::trace);
        // A basic controller has no shading block and no conservatory values.
        QVERIFY(h.send("xyzsbpsppssp\r").isEmpty());
        QCOMPARE(traces.size(), 4);
        QCOMPARE(h.send("sfi").size(), 1);
    }

    // The benchmarks' windy afternoon: every value changes on every reply and stays sound.
    void everyValueMoving() {
        Harness h;
        h.controller.weather().setEveryValueMoving(true);
        ReplyValues before = values(h.send("skd\r").value(0));
        for (int poll = 0; poll < 20; ++poll) {
            h.clock = h.clock.addMSecs(900);
            const ReplyValues v = values(h.send("skd\r").value(0));
            for (int i = 0; i < kReplyValueCount; ++i)
                QVERIFY2(v[i] != before[i], qPrintable(QString("value %1").arg(i)));
            QVERIFY(v[3] <= v[1] && v[1] <= v[4] && v[7] <= v[5] && v[5] <= v[8]);
            QVERIFY(v[9] <= v[10] && v[9] == v[13] && in(v[2], 0, 9) && in(v[6], 0, 9));
            before = v;
        }
    }

    // Over a whole day the live values stay in their ranges, minimum <= maximum.
    void liveValuesOverADay() {
        for (Variant variant : {Variant::Conservatory, Variant::Sensor, Variant::Basic}) {
            Harness h{SimModel(variant)};
            const ModelInfo info = h.controller.model().info();
            const bool outdoor = info.sensor || info.conservatory, inside = info.conservatory;
            for (int minute = 0; minute < 24 * 60; minute += 5) {
                h.clock = QDateTime(QDate(2026, 6, 1), QTime(0, 0)).addSecs(minute * 60);
                const QList<Reply> r = h.send("skd\r");
                QCOMPARE(r.size(), 1);
                QCOMPARE(r[0].payload.count(','), 16);
                const ReplyValues v = values(r[0]);
                QVERIFY(in(v[0], 0, 255) && in(v[14], 0, 255));
                QVERIFY(outdoor || v[0] == 0);
                for (int t : {1, 5}) {
                    if (!(t == 1 ? inside : outdoor)) {
                        QCOMPARE(v[t], SimWeather::kNoTemperature);
                        continue;
                    }
                    QVERIFY(in(v[t + 1], 0, 9) && v[t + 2] <= v[t + 3]);
                    QVERIFY(in(v[t], v[t + 2] - 1, v[t + 3] + 1));
                }
                QVERIFY(in(v[9], 0, 119) && v[10] >= v[9]);
                QCOMPARE(v[13], v[9]);
                QCOMPARE(v[11], 0);
                QVERIFY(in(v[12], 0, outdoor ? 1 : 0) && (outdoor || v[9] == 0));
                QVERIFY(inside ? in(v[15], 1, 99) : v[15] == 0);
            }
        }
    }

    void windMaxResetAndAlarm() {
        Harness h{SimModel(Variant::Sensor)};
        ReplyValues v{};
        // Gusts raise the maximum above the current speed sooner or later.
        for (int i = 0; i < 500 && !(v[10] > v[9]); ++i) {
            h.clock = h.clock.addSecs(10);
            v = values(h.send("skd")[0]);
        }
        QVERIFY(v[10] > v[9]);
        QVERIFY(h.send("swl").isEmpty()); // no reply to the reset
        v = values(h.send("skd")[0]);
        QCOMPARE(v[10], v[9]);
        h.controller.weather().setAlarm(true);
        QCOMPARE(values(h.send("skd")[0])[11], 1);
    }

    // A step's writes get one "stc" once the line is quiet; a refused one makes it "1,".
    void writesAndStepAcknowledgement() {
        const std::pair<QByteArray, int> rows[] = {
            // the writes, how many are stored
            {" rbp1\r3\r1\r110\r6\r22\r200\r190\r534\r", 0}, // wrong check sum
            {" rbp1\r3\r1\r110\r6\r22\r200\r191\r534\r", 0}, // value out of range
            {" rwp0\r9\r1\r30\r40\r", 0},                    // motor beyond the model
            {" rzz60\r60\r rbh12\r13\r roa97\r97\r", 2},     // one bad among good
        };
        for (const auto& [writes, stored] : rows) {
            Harness h;
            h.controller.setAckQuietMs(20);
            // Byte by byte, as a slow line delivers it: still one step.
            for (char c : writes)
                QVERIFY(h.send(QByteArray(1, c)).isEmpty());
            QTRY_COMPARE(h.replies.size(), 1);
            QCOMPARE(h.replies[0].code + h.replies[0].payload, "stc1,");
            QCOMPARE(h.controller.writesStored(), stored);
            QTest::qWait(60);
            QCOMPARE(h.replies.size(), 1);
        }
    }

    void faultsAimedAtCodes() {
        // The fault, the requests, the frames that come (-1: the name is refused), how many bad.
        const std::tuple<QString, QByteArray, int, int> rows[] = {
            {"bad-checksum", "sbpsfsskdsmn", 16 + 448 + 1 + 8, 16 + 448}, // checked frames only
            {"bad-check=sbp:3", "sbpsbp", 32, 1},
            {"bad-check=sbp", "sbpsbp", 32, 32},
            {"bad-check-share=25", "sbp", 16, 4},
            {"drop=sbp:2", "sbpsbpsbp", 32, 0},
            {"drop=smn", "smnsmn", 0, 0},
            {"drop=SMN", "", -1, 0},
            {"bad-check-share=101", "", -1, 0},
            {"refuse=rbp:0", "", -1, 0},
        };
        for (const auto& [fault, requests, frames, badFrames] : rows) {
            const auto faults = SimFaults::fromName(fault);
            QCOMPARE(faults.has_value(), frames >= 0);
            if (!faults)
                continue;
            Harness h;
            h.controller.setFaults(*faults);
            const QList<Reply> replies = h.send(requests);
            QCOMPARE(replies.size(), frames);
            int bad = 0;
            for (const Reply& r : replies)
                bad += kCheckedCounts.contains(r.code) &&
                       !checkSumMatches(values(r), kCheckedCounts[r.code]);
            QCOMPARE(bad, badFrames);
        }
        // With a seed the share falls at random, on the same frames for the same seed.
        const auto spoilt = [](const QString& fault) {
            Harness h;
            h.controller.setFaults(*SimFaults::fromName(fault));
            const QList<Reply> replies = h.send("sfs");
            QList<int> bad;
            for (int i = 0; i < replies.size(); ++i)
                if (!checkSumMatches(values(replies[i]), kCheckedCounts["sfs"]))
                    bad << i;
            return bad;
        };
        const QList<int> seven = spoilt("bad-check-share=10:7");
        QCOMPARE(spoilt("bad-check-share=10:7"), seven);
        QVERIFY(spoilt("bad-check-share=10:8") != seven);
        QVERIFY(spoilt("bad-check-share=10") != seven); // the even spread: every tenth
        QVERIFY2(seven.size() > 448 / 20 && seven.size() < 448 / 5,
                 qPrintable(QString::number(seven.size())));
    }

    // Switch times that fall due go into the logbook, newest first.
    void switchTimesFillTheLogbook() {
        Harness h(SimModel(Variant::Sensor, 3, 2));
        h.controller.logbook().handle("sll");
        const QDate monday(2026, 12, 7);
        const auto entriesAt = [&](QTime t) {
            h.clock = QDateTime(monday, t);
            h.controller.runSwitchTimes();
            return h.controller.logbook().count();
        };
        QCOMPARE(entriesAt(QTime(6, 59, 30)), 0);
        QCOMPARE(entriesAt(QTime(7, 0, 10)), 3);   // factory slot 1: up at 07:00
        h.clock = QDateTime(monday, QTime(21, 0)); // slot 2: down at 20:30
        h.send("sfi");                             // input runs the clock work too
        QCOMPARE(h.controller.logbook().count(), 6);
        const QList<Reply> r = h.send("slrsld");
        QCOMPARE(r.size(), 7);
        // Newest: down, 7 December, cause programmed switch time, 20:30.
        QCOMPARE(slice(values(r[0]), 2, 6), (QList<int>{0, 7, 12, 0, 20, 30}));
        QCOMPARE(slice(values(r[5]), 2, 6), (QList<int>{1, 7, 12, 0, 7, 0})); // oldest: up, 07:00
        // A clock jump of days starts afresh instead of replaying them.
        h.clock = h.clock.addDays(3);
        h.controller.runSwitchTimes();
        QCOMPARE(h.controller.logbook().count(), 6);
    }

    // The session's radio-clock indicator against the simulated one: " sdr" starts both,
    // each tick asks time and carrier, the LED follows the carrier, "sts" ends both.
    void radioClockIndicator() {
        Harness h;
        h.controller.setDcfIndicatorDurationMs(1000);
        h.clock.setTime(QTime(10, 0, 0, 50));
        SimLoopbackLink link([&h](const QByteArray& request) {
            QList<QByteArray> frames;
            for (const Reply& r : h.send(request))
                frames << SimController::frame(r.code, r.payload);
            return frames;
        });
        link.open(QStringLiteral("sim"), nullptr);
        ControllerSession session(&link);
        session.setTimerIntervals(1000000, 1000000, 1000000);
        QSignalSpy led(&session, &ControllerSession::dcfLed);
        session.startDcfIndicator();
        QVERIFY(h.controller.dcfIndicatorActive());
        session.dcfTick();
        QCOMPARE(link.written(), QByteArray(" sdr sti sds"));
        QTRY_COMPARE(led.size(), 1);
        QCOMPARE(h.replies.first().code, QByteArray("sti"));
        QVERIFY(led.at(0).first().toBool()); // inside the second mark
        h.clock = h.clock.addMSecs(500);
        session.dcfTick();
        QTRY_COMPARE(led.size(), 2);
        QVERIFY(!led.at(1).first().toBool());
        h.clock = h.clock.addMSecs(600);
        session.dcfTick();
        QTRY_VERIFY(!session.dcfIndicatorActive());
        QVERIFY(!h.controller.dcfIndicatorActive());
    }

    // An export keeps the read position, foreign requests are ignored, a full log drops its oldest.
    void simLogbook() {
        SimLogbook log(7);
        log.seed(20);
        QCOMPARE(log.handle("slf").size(), 21);
        QCOMPARE(log.readPosition(), 0);
        for (const char* r : {"smn", "sfi\r", "sl", "slax", ""})
            QVERIFY2(log.handle(r).isEmpty(), r);
        QVERIFY(!SimLogbook::isLogbookRequest("smn") && SimLogbook::isLogbookRequest(" slr"));

        SimLogbook full;
        full.seed(SimLogbook::kCapacity);
        const LogEntry secondOldest = full.entry(SimLogbook::kCapacity - 1);
        full.seed(1);
        QCOMPARE(full.count(), SimLogbook::kCapacity);
        LogEntry oldest = full.entry(SimLogbook::kCapacity);
        oldest.number = secondOldest.number;
        QCOMPARE(oldest, secondOldest);
    }

    // korvane-sim's command line: the simulator it sets up, or the message that refuses it.
    void simulatorOptions() {
        // arguments, model, logbook entries, alarm; or the message
        const SimModel conservatory;
        const std::tuple<QStringList, SimModel, int, bool, QString> rows[] = {
            {{}, conservatory, 42, false, {}},
            {{"--log-entries", "0"}, conservatory, 0, false, {}},
            {{"--log-entries", "2000", "--basic", "--motors", "3"},
             SimModel(Variant::Basic, 3),
             2000,
             false,
             {}},
            {{"--sensor", "--slots", "4", "--alarm"},
             SimModel(Variant::Sensor, 8, 4),
             42,
             true,
             {}},
            {{"--log-entries", "2001"},
             {},
             0,
             false,
             "--log-entries needs a number from 0 to 2000"},
            {{"--log-entries", "-1"}, {}, 0, false, "--log-entries needs a number from 0 to 2000"},
            {{"--motors", "9"}, {}, 0, false, "--motors needs a number from 1 to 8"},
            {{"--basic", "--sensor"},
             {},
             0,
             false,
             "choose one of --model, --basic, --sensor, --sensor-keypress, --conservatory"},
            {{"--fault", "wobble"}, {}, 0, false, "unknown fault \"wobble\""},
            {{"--date", "1.1.00"}, {}, 0, false, "--date needs the form DD.MM.YY"},
        };
        for (const auto& [args, model, entries, alarm, message] : rows) {
            QCommandLineParser parser;
            addSimOptions(parser);
            QVERIFY(parser.parse(QStringList{"korvane-sim"} + args));
            QString error;
            const std::optional<SimOptions> options = simOptionsFrom(parser, &error);
            QCOMPARE(error, message);
            if (!options)
                continue;
            Simulator sim;
            options->applyTo(sim);
            QCOMPARE(sim.controller().model().text(), model.text());
            QCOMPARE(sim.controller().logbook().count(), entries);
            QCOMPARE(sim.controller().logbook().handle("slf").size(), entries + 1); // and the end
            QCOMPARE(sim.controller().weather().values()[SimWeather::Alarm], alarm ? 1 : 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_simcontroller.moc"
