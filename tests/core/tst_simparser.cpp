// The simulator's command parser: requests, writes and their checks, commands
// split across reads, unknown input.

#include "SimCommandParser.h"

#include <QTest>

using namespace korvane;

namespace {

QList<SimCommand> table() {
    return {
        {"sfi"},
        {"sti"},
        {" sti"},
        {" sds"},
        {"sbp"},
        {" rbp", 9, SimFieldType::Number, SimCheck::Sum},
        {" rta ", 5, SimFieldType::Number, SimCheck::Sum},
        {" rzz", 2, SimFieldType::Number, SimCheck::Sum},
        {" rmn", 3, SimFieldType::Text, SimCheck::LastRepeats},
    };
}

// A compact rendering of what the parser reported, for table-driven checks:
// "key" per command (with "!" when its check failed), "?bytes" per ignored run,
// "~bytes" per abandoned write.
QStringList render(const SimCommandParser& parser, const QList<SimParsed>& items) {
    QStringList out;
    for (const SimParsed& p : items) {
        switch (p.kind) {
        case SimParsed::Kind::Command:
            out << QString::fromLatin1(parser.commands()[p.command].key) + (p.checkOk ? "" : "!");
            break;
        case SimParsed::Kind::Ignored:
            out << "?" + QString::fromLatin1(p.bytes);
            break;
        case SimParsed::Kind::Abandoned:
            out << "~" + QString::fromLatin1(p.bytes);
            break;
        }
    }
    return out;
}

const QByteArray kGoodShading = " rbp0\r1\r1\r122\r10\r20\r244\r10\r408\r";

} // namespace

class TestSimParser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void wholeInput_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("poll request with CR") << QByteArray("sfi\r") << QStringList{"sfi"};
        QTest::newRow("requests back to back")
            << QByteArray("sbpsfisti") << QStringList{"sbp", "sfi", "sti"};
        QTest::newRow("leading blank picks the indicator request")
            << QByteArray(" sti sds") << QStringList{" sti", " sds"};
        QTest::newRow("good write") << kGoodShading << QStringList{" rbp"};
        QTest::newRow("write with wrong check sum")
            << QByteArray(" rbp0\r1\r1\r122\r10\r20\r244\r10\r407\r") << QStringList{" rbp!"};
        QTest::newRow("key-press write keeps its trailing blank")
            << QByteArray(" rta 1\r8\r1\r40\r50\r") << QStringList{" rta "};
        QTest::newRow("single value written twice")
            << QByteArray(" rzz30\r30\r") << QStringList{" rzz"};
        QTest::newRow("single value copies differ")
            << QByteArray(" rzz30\r31\r") << QStringList{" rzz!"};
        QTest::newRow("name written twice") << QByteArray(" rmn3\rK\xfc"
                                                          "che       \rK\xfc"
                                                          "che       \r")
                                            << QStringList{" rmn"};
        QTest::newRow("name copies differ")
            << QByteArray(" rmn3\rKueche      \rKuche       \r") << QStringList{" rmn!"};
        QTest::newRow("negative value") << QByteArray(" rzz-5\r-5\r") << QStringList{" rzz"};
        QTest::newRow("unknown request between known ones")
            << QByteArray("sfixyz\rsti\r") << QStringList{"sfi", "?xyz\r", "sti"};
        QTest::newRow("unknown write")
            << QByteArray(" rqq5\r5\rsfi") << QStringList{"? rqq5\r5\r", "sfi"};
        QTest::newRow("lone CR and LF are no input")
            << QByteArray("\r\n\rsfi\r\n") << QStringList{"sfi"};
        QTest::newRow("write cut short is abandoned, requests behind it survive")
            << QByteArray(" rzz30\rsfi\r") << QStringList{"~ rzz30\r", "sfi"};
        QTest::newRow("overlong field")
            << QByteArray(" rzz" + QByteArray(60, '1') + "\r1\r")
            << QStringList{"~ rzz", "?" + QString(60, QLatin1Char('1')) + "\r1\r"};
    }
    void wholeInput() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, expected);
        SimCommandParser parser(table());
        QCOMPARE(render(parser, parser.feed(input)), expected);
        QVERIFY(parser.pending().isEmpty());
    }

    // Every way of cutting a write and the request behind it into two reads
    // yields the same commands, each once, when its last byte arrives.
    void splitAtEveryByte() {
        const QByteArray input = kGoodShading + "sfi\r" + " rta 0\r2\r1\r40\r43\r";
        for (qsizetype cut = 0; cut <= input.size(); ++cut) {
            SimCommandParser parser(table());
            QStringList got = render(parser, parser.feed(input.left(cut)));
            got += render(parser, parser.feed(input.mid(cut)));
            QCOMPARE(got, (QStringList{" rbp", "sfi", " rta "}));
        }
    }

    void byteByByte() {
        SimCommandParser parser(table());
        QStringList got;
        const QByteArray input = kGoodShading + " sds";
        for (char c : input)
            got += render(parser, parser.feed(QByteArray(1, c)));
        QCOMPARE(got, (QStringList{" rbp", " sds"}));
    }

    void valuesAndFields() {
        SimCommandParser parser(table());
        const QList<SimParsed> items =
            parser.feed(kGoodShading + " rmn2\rBad         \rBad         \r");
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].values, (QList<qint32>{0, 1, 1, 122, 10, 20, 244, 10, 408}));
        QCOMPARE(items[1].fields, (QList<QByteArray>{"2", "Bad         ", "Bad         "}));
        QVERIFY(items[1].values.isEmpty());
    }

    void incompleteInputWaits() {
        SimCommandParser parser(table());
        QVERIFY(parser.feed(" rbp0\r1\r1\r12").isEmpty());
        QCOMPARE(parser.pending(), QByteArray(" rbp0\r1\r1\r12"));
        parser.clear();
        QVERIFY(parser.pending().isEmpty());
        QCOMPARE(render(parser, parser.feed("sfi")), QStringList{"sfi"});
    }

    void checkSumWrapsLikeThirtyTwoBits() {
        SimCommandParser parser(table());
        // 2147483647 + 1 wraps to -2147483648 in the controller's 32-bit sum.
        const QList<SimParsed> items =
            parser.feed(" rbp2147483647\r1\r0\r0\r0\r0\r0\r0\r-2147483648\r");
        QCOMPARE(items.size(), 1);
        QVERIFY(items[0].checkOk);
    }

    void numbers_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << QByteArray("0") << true << 0;
        QTest::newRow("negative") << QByteArray("-17") << true << -17;
        QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("too big") << QByteArray("2147483648") << false << 0;
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
        QTest::newRow("blank inside") << QByteArray("1 2") << false << 0;
        QTest::newRow("plus sign") << QByteArray("+3") << false << 0;
    }
    void numbers() {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        qint32 v = 0;
        QCOMPARE(parseSimNumber(text, &v), ok);
        if (ok)
            QCOMPARE(v, value);
    }
};

QTEST_APPLESS_MAIN(TestSimParser)
#include "tst_simparser.moc"
