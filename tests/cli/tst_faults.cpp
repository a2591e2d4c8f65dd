// Controller faults through the commands (and the desktop's send): the message,
// the file left, what the controller keeps and what memory holds.

#include "helpers/SimRig.h"

#include "session/ParameterTransfer.h"

#include <QSignalSpy>

using namespace korvane;

namespace {

const char* const kList = "logbook --list";

bool anyChanged(const ParameterSet& set) {
    if (set.switchTimes.changedCount() > 0)
        return true;
    for (const BlockTable& t : set.blocks)
        for (const auto& profile : t)
            for (const BlockRecord& r : profile)
                if (r.changed)
                    return true;
    return false;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_sendFile;
    QHash<QString, QByteArray> m_reference; // clean result per command
    QMap<QByteArray, QByteArray> m_sentState;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    std::unique_ptr<SimRig> makeRig(int logEntries) {
        auto rig = std::make_unique<SimRig>();
        rig->sim.logbook().seed(logEntries - rig->sim.logbook().count());
        // A read position away from the start shows whether a command rewound it.
        rig->feedAside("sld");
        return rig;
    }

    int run(SimRig& rig, const QString& command, const QString& file) {
        return rig.run(command, command == QLatin1String("send") ? m_sendFile : file, 5);
    }

    QByteArray result(SimRig& rig, const QString& command, const QString& file) {
        return command == kList ? rig.outText.toUtf8() : fileBytes(file);
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_sendFile = path("send.vts");
        // Every name and Monday slot differs from what the controller holds.
        ParameterSet sent;
        for (int m = 0; m < MotorNames::kCount; ++m) {
            sent.motorNames.setName(m, QStringLiteral("Raum %1").arg(m + 1));
            for (int slot = 0; slot < kSlotsPerMotor; ++slot)
                sent.switchTimes.at(0, m, slot).time = 600 + 10 * m + slot;
        }
        QVERIFY(saveSettingsFile(m_sendFile, sent).ok);
        for (const QString command : {"read", "send", "logbook", kList}) {
            auto rig = makeRig(command == kList ? 250 : 42);
            const QString file = path(QStringLiteral("clean-") + command);
            QCOMPARE(run(*rig, command, file), 0);
            m_reference.insert(command, result(*rig, command, file));
            if (command == QLatin1String("send"))
                m_sentState = rig->state();
        }
        QVERIFY(m_reference.value("read").contains("[Parameter_]"));
        QVERIFY(m_reference.value(kList).count('\n') > 250);
    }

    // The tag's first word names the command: read, send, export (logbook) or list.
    void faults_data() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        auto row = [](const char* tag, const char* faults, int code, const char* message = "") {
            QTest::newRow(tag) << QString(faults).split(' ', Qt::SkipEmptyParts) << code
                               << QString(message);
        };
        row("read clean", "", 0);
        row("read one bad shading record", "bad-check=sbp:3", 0);
        row("read 5 % bad frames", "bad-check-share=5", 0);
        row("read names always dropped", "drop=smn", 2, "Lesen unvollständig: Motornamen fehlen");
        row("read one record bad in every round",
            "bad-check=sbp:3 bad-check=sbp:19 bad-check=sbp:35 drop=smn", 2,
            "Lesen unvollständig: Beschattung Motor 3 Profil 1, Motornamen fehlen");
        row("read a second-profile record bad in every round",
            "bad-check=sbp:11 bad-check=sbp:27 bad-check=sbp:43", 2,
            "Lesen unvollständig: Beschattung Motor 3 Profil 2");

        row("send clean", "", 0);
        row("send shading refused", "refuse=rbp", 2, "von der Steuerung abgelehnt: Beschattung");
        row("send one Monday slot refused", "refuse=rfs:3", 2, "abgelehnt: Schaltzeiten Montag");
        row("send names refused", "refuse=rmn:2", 2, "abgelehnt: Motornamen");

        row("export clean", "", 0);
        row("export one bad entry", "bad-check=slf:3", 0);
        row("export an entry bad twice", "bad-check=slf:3 bad-check=slf:46", 2,
            "es fehlen: Eintrag 3.");
        row("export without count", "drop=sla", 2, "es fehlen: Anzahl der Einträge.");

        row("list clean", "", 0);
        row("list bad entry on page 2", "bad-check=sld:150", 0);
        row("list bad entry on page 2 twice", "bad-check=sld:150 bad-check=sld:403", 2,
            "Logbuch unvollständig, es fehlen: Eintrag 200");
    }

    void faults() {
        QFETCH(QStringList, faults);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        // A refused write "rXX" leaves the answer to "sXX" different.
        const QByteArray refused =
            faults.value(0).startsWith("refuse=") ? 's' + faults[0].mid(8, 2).toLatin1() : "";
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        const QString word = tag.section(' ', 0, 0);
        const QString command = word == "export" ? "logbook" : word == "list" ? kList : word;
        auto rig = makeRig(command == kList ? 250 : 42);
        const auto before = rig->state();
        const int position = rig->sim.logbook().readPosition();
        rig->setFaults(faults);
        const QString file = path(tag);

        QCOMPARE(run(*rig, command, file), exitCode);
        QVERIFY2(rig->errText.contains(message), qPrintable(rig->errText));
        // A result only when it is the clean one; nothing at all otherwise.
        if (command != QLatin1String("send")) {
            if (exitCode == 0)
                QCOMPARE(result(*rig, command, file), m_reference.value(command));
            else
                QVERIFY(command == kList ? rig->outText.isEmpty() : !QFile::exists(file));
        }

        const auto after = rig->state();
        if (command == QLatin1String("send")) {
            for (auto it = m_sentState.cbegin(); it != m_sentState.cend(); ++it)
                QCOMPARE(after.value(it.key()) == it.value(), it.key() != refused);
            if (!refused.isEmpty())
                QVERIFY(after.value(refused) != before.value(refused) || refused == "sbp");
            checkDesktopMemory(faults, exitCode, message, refused);
        } else {
            QVERIFY(after == before);
            if (command != kList) // only the list may rewind the log
                QCOMPARE(rig->sim.logbook().readPosition(), position);
        }
    }

private:
    // Through ParameterTransfer only refused records stay marked (names carry none).
    void checkDesktopMemory(const QStringList& faults, int exitCode, const QString& message,
                            const QByteArray& refused) {
        SimRig rig;
        QVERIFY(cli::waitForController(rig.session, 5, rig.err));
        rig.setFaults(faults);
        ParameterSet mem;
        QVERIFY(loadSettingsFile(m_sendFile, mem).ok());
        applyChangedEvent(mem, ChangedEvent::Startup);
        ParameterTransfer transfer(rig.session, mem);
        transfer.setTimeouts(100, 200);
        QSignalSpy sent(&transfer, &ParameterTransfer::sendAllFinished);
        QVERIFY(transfer.startSendAll());
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 10000);
        QCOMPARE(sent.first().at(0).toBool(), exitCode == 0);
        QVERIFY(sent.first().at(1).toString().contains(message));
        QCOMPARE(rig.session.activity(), Activity::Idle);
        QCOMPARE(anyChanged(mem), exitCode != 0 && refused != "smn");
        QVERIFY(!mem.record(BlockId::Wind, 1, 7).changed);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
