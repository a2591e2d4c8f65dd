// The frame receiver cutting the byte stream, and the reply values parser.
#include "protocol/FrameReceiver.h"
#include "protocol/ReplyValues.h"

#include <QTest>

using korvane::FrameReceiver;
using korvane::ReceiverEvent;
using Kind = korvane::ReceiverEvent::Kind;

class TestFrameReceiver : public QObject {
    Q_OBJECT

    static QStringList describe(const QList<ReceiverEvent>& events) {
        QStringList out;
        for (const auto& e : events) {
            if (e.kind == Kind::Frame)
                out << QString::fromLatin1(e.code + "|" + e.payload);
            else
                out << (e.kind == Kind::StaleEndDiscarded ? QStringLiteral("stale:")
                                                          : QStringLiteral("junk:")) +
                           QString::number(e.discarded);
        }
        return out;
    }

private Q_SLOTS:
    void cutsFrames_data() {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QByteArray>("left");

        QTest::newRow("junk then frame") << QList<QByteArray>{"xxstart_sdt05.12.26ende_"}
                                         << QStringList{"sdt|05.12.26"} << QByteArray();
        QTest::newRow("split over three reads")
            << QList<QByteArray>{"sta", "rt_smoVX-40", "00ende_"} << QStringList{"smo|VX-4000"}
            << QByteArray();
        QTest::newRow("end marker split")
            << QList<QByteArray>{"start_sfi1.2en", "de_"} << QStringList{"sfi|1.2"} << QByteArray();
        QTest::newRow("two frames in one read")
            << QList<QByteArray>{"start_sfi1.0ende_start_sti12:00ende_"}
            << QStringList{"sfi|1.0", "sti|12:00"} << QByteArray();
        QTest::newRow("empty payload")
            << QList<QByteArray>{"start_sdtende_"} << QStringList{"sdt|"} << QByteArray();
        QTest::newRow("stale end marker keeps the next frame")
            << QList<QByteArray>{"0,ende_start_stc0,ende_"} << QStringList{"stale:7", "stc|0,"}
            << QByteArray();
        QTest::newRow("incomplete frame waits")
            << QList<QByteArray>{"start_skd1,2,"} << QStringList{} << QByteArray("start_skd1,2,");
        QTest::newRow("partial start marker survives junk")
            << QList<QByteArray>{"garbage-garbage-sta"} << QStringList{"junk:14"}
            << QByteArray("e-sta");
        QTest::newRow("high bytes pass untouched") << QList<QByteArray>{"start_smn3,K\xfc"
                                                                        "che       ende_"}
                                                   << QStringList{QString::fromLatin1("smn|3,K\xfc"
                                                                                      "che       ")}
                                                   << QByteArray();
    }
    void cutsFrames() {
        QFETCH(QList<QByteArray>, reads);
        FrameReceiver rx;
        QList<ReceiverEvent> all;
        for (const auto& r : reads)
            all += rx.feed(r);
        QTEST(describe(all), "events");
        QTEST(rx.pending(), "left");
    }

    // Neither a start without an end nor endless junk piles up.
    void boundsWhatItHolds() {
        FrameReceiver rx;
        for (int i = 0; i < 1000; ++i)
            rx.feed(QByteArray(100, 'x'));
        QVERIFY(rx.pending().size() <= 5);
        QByteArray flood = "start_sbp" + QByteArray(FrameReceiver::kMaxFrameLength, '1');
        const auto events = rx.feed(flood);
        QVERIFY(!events.isEmpty());
        QCOMPARE(events.first().kind, Kind::JunkDiscarded);
        QVERIFY(rx.pending().size() <= 5);
        // The line recovers: the next good frame comes through.
        QCOMPARE(describe(rx.feed("start_sfi2.0ende_")), QStringList{"sfi|2.0"});
    }

    void parsesValues_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QList<int>>("first");
        QTest::newRow("shading record")
            << QByteArray("1,2,3,4,5,6,7,8,36,") << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 36, 0};
        QTest::newRow("no trailing comma") << QByteArray("5,7") << QList<int>{5, 0, 0};
        QTest::newRow("negative") << QByteArray("-12,3,") << QList<int>{-12, 3, 0};
        QTest::newRow("text after last comma ignored") << QByteArray("4,abc") << QList<int>{4, 0};
        QTest::newRow("at most sixteen")
            << QByteArray("1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,99,")
            << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    }
    void parsesValues() {
        QFETCH(QByteArray, payload);
        QFETCH(QList<int>, first);
        const auto v = korvane::parseReplyValues(payload);
        QVERIFY(v.has_value());
        for (int i = 0; i < first.size(); ++i)
            QCOMPARE((*v)[i], first[i]);
    }

    void rejectsValues_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("field");
        QTest::newRow("letters") << QByteArray("1,x2,") << 1;
        QTest::newRow("empty field") << QByteArray(",") << 0;
        QTest::newRow("overflow") << QByteArray("2147483648,") << 0;
        QTest::newRow("lone minus") << QByteArray("3,-,") << 1;
    }
    void rejectsValues() {
        QFETCH(QByteArray, payload);
        korvane::ReplyParseError error;
        QVERIFY(!korvane::parseReplyValues(payload, &error));
        QTEST(error.field, "field");
    }

    void checkSum() {
        auto v = *korvane::parseReplyValues("1,2,3,4,5,6,7,8,36,");
        QVERIFY(korvane::checkSumMatches(v, 8));
        v[8] = 37;
        QVERIFY(!korvane::checkSumMatches(v, 8));
        QVERIFY(!korvane::checkSumMatches(v, 16)); // no room for a check value
    }
};

QTEST_GUILESS_MAIN(TestFrameReceiver)
#include "tst_framereceiver.moc"
