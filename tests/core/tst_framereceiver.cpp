// The frame receiver cutting the byte stream, and the reply values parser.
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"

#include <QTest>

using namespace korvane;
using Kind = ReceiverEvent::Kind;

namespace {

// "code|payload;" per frame, "stale:n;" or "junk:n;" per discard.
QByteArray describe(const QList<ReceiverEvent>& events) {
    QByteArray out;
    for (const auto& e : events) {
        if (e.kind == Kind::Frame)
            out += e.code + "|" + e.payload + ";";
        else
            out += (e.kind == Kind::StaleEndDiscarded ? "stale:" : "junk:") +
                   QByteArray::number(e.discarded) + ";";
    }
    return out;
}

} // namespace

class TestFrameReceiver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cutsFrames() {
        // The bytes fed ('/' between feeds), the events and what is left pending.
        const std::tuple<QByteArray, QByteArray, QByteArray> rows[] = {
            {"xxstart_sdt05.12.26ende_", "sdt|05.12.26;", ""},
            {"sta/rt_smoVX-40/00ende_", "smo|VX-4000;", ""},
            {"start_sfi1.2en/de_", "sfi|1.2;", ""},
            {"start_sfi1.0ende_start_sti12:00ende_", "sfi|1.0;sti|12:00;", ""},
            {"start_sdtende_", "sdt|;", ""},
            {"0,ende_start_stc0,ende_", "stale:7;stc|0,;", ""}, // keeps the next frame
            {"start_skd1,2,", "", "start_skd1,2,"},             // incomplete: waits
            {"garbage-garbage-sta", "junk:14;", "e-sta"},       // partial start survives
            {"start_smn3,K\374che       ende_", "smn|3,K\374che       ;", ""}, // high bytes kept
        };
        for (const auto& [reads, events, left] : rows) {
            FrameReceiver rx;
            QByteArray seen;
            for (const QByteArray& r : reads.split('/'))
                seen += describe(rx.feed(r));
            QCOMPARE(seen, events);
            QCOMPARE(rx.pending(), left);
        }
    }

    // Neither a start without an end nor endless junk piles up.
    void boundsWhatItHolds() {
        FrameReceiver rx;
        for (int i = 0; i < 1000; ++i)
            rx.feed(QByteArray(100, 'x'));
        QVERIFY(rx.pending().size() <= 5);
        const QByteArray flood = "start_sbp" + QByteArray(FrameReceiver::kMaxFrameLength, '1');
        QVERIFY(describe(rx.feed(flood)).startsWith("junk:"));
        QVERIFY(rx.pending().size() <= 5);
        // The line recovers: the next good frame comes through.
        QCOMPARE(describe(rx.feed("start_sfi2.0ende_")), "sfi|2.0;");
    }

    // All sixteen values of a parsed payload, or (values empty) the field that fails.
    void replyValuesAndCheckSum() {
        const std::tuple<QByteArray, QList<int>, int> rows[] = {
            {"1,2,3,4,5,6,7,8,36,", {1, 2, 3, 4, 5, 6, 7, 8, 36}, 0},
            {"5,7", {5}, 0},
            {"-12,3,", {-12, 3}, 0},
            {"4,abc", {4}, 0},
            {"1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,99,", QList<int>(16, 1), 0},
            {"1,x2,", {}, 1},
            {",", {}, 0},
            {"2147483648,", {}, 0},
            {"3,-,", {}, 1}};
        for (const auto& [payload, values, bad] : rows) {
            ReplyParseError error;
            const auto v = parseReplyValues(payload, &error);
            QCOMPARE(v.has_value(), !values.isEmpty());
            if (v)
                QCOMPARE(QList<int>(v->begin(), v->end()), values + QList<int>(16 - values.size()));
            else
                QCOMPARE(error.field, bad);
        }
        auto v = *parseReplyValues("1,2,3,4,5,6,7,8,36,");
        QVERIFY(checkSumMatches(v, 8));
        v[8] = 37;
        QVERIFY(!checkSumMatches(v, 8));
        QVERIFY(!checkSumMatches(v, 16)); // no room for a check value
    }
};

QTEST_GUILESS_MAIN(TestFrameReceiver)
#include "tst_framereceiver.moc"
