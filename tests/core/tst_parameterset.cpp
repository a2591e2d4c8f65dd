// Profile copy, editor rules, system parameters and alarm setup on the wire,
// and the differences between two sets.
#include "blocks/BlockRules.h"
#include "params/ParameterSet.h"
#include "session/ParameterDiff.h"

#include <QTest>

using namespace korvane;

class TestParameterSet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void profileCopy() {
        ParameterSet set;
        applyChangedEvent(set, ChangedEvent::SendAllDone);
        for (const BlockDescription& b : blockDescriptions())
            for (int m = 0; m < kMotorCount; ++m)
                for (int f = 0; f < b.fieldCount(); ++f)
                    set.record(b.id, 0, m).value[f] = (m + f) % b.fields[f].itemCount;
        const ParameterSet before = set;
        copyStandardToAlternative(set);
        for (const BlockDescription& b : blockDescriptions()) {
            const bool copied = b.id != BlockId::Humidity && b.id != BlockId::KeyPress;
            QCOMPARE(b.inProfileCopy, copied);
            for (int m = 0; m < kMotorCount; ++m) {
                QCOMPARE(set.record(b.id, 1, m).value,
                         before.record(b.id, copied ? 0 : 1, m).value);
                QCOMPARE(set.record(b.id, 1, m).changed, copied);
                QCOMPARE(set.record(b.id, 0, m), before.record(b.id, 0, m));
            }
        }
    }

    // An edit of one field keeps the block's pairs in order; only the edited record is flagged.
    void editRules() {
        auto check = [](BlockId id, const QList<int>& start, int field, int index,
                        const QList<int>& expect) {
            ParameterSet set;
            applyChangedEvent(set, ChangedEvent::SendAllDone);
            BlockRecord& rec = set.record(id, 1, 4);
            std::copy(start.begin(), start.end(), rec.value.begin());
            editBlockField(set, id, 1, 4, field, index);
            QCOMPARE(QList<int>(rec.value.begin(), rec.value.begin() + expect.size()), expect);
            QVERIFY(rec.changed);
            QVERIFY(!set.record(id, 0, 4).changed);
        };
        using B = BlockId;
        // Shading window, hours 05..22 as indices 0..17.
        check(B::Shading, {0, 32, 5, 5}, BA_Record::von, 7, {0, 32, 7, 8});
        check(B::Shading, {0, 32, 5, 15}, BA_Record::von, 17, {0, 32, 16, 17});
        check(B::Shading, {0, 32, 5, 15}, BA_Record::bis, 3, {0, 32, 2, 3});
        check(B::Shading, {0, 32, 5, 15}, BA_Record::bis, 0, {0, 32, 0, 1});
        // Proportional: start may equal end.
        check(B::Proportional, {0, 10, 12}, PT_Record::von, 14, {0, 14, 14});
        check(B::Proportional, {0, 10, 12}, PT_Record::bis, 3, {0, 3, 3});
        // Inside temperature thresholds, -9..50 °C as 0..59.
        const QList<int> inside{0, 0, 31, 0, 29};
        check(B::InsideTemp, inside, IT_Record::Schwelle_1, 0, {0, 0, 1, 0, 0});
        check(B::InsideTemp, {0, 1, 31, 0, 40}, IT_Record::Schwelle_1, 59, {0, 1, 58, 0, 59});
        check(B::InsideTemp, inside, IT_Record::gr_kl, 1, {0, 1, 31, 0, 32});
        check(B::InsideTemp, inside, IT_Record::Schwelle_2, 59, {0, 0, 59, 0, 58});
        check(B::InsideTemp, {0, 1, 20, 0, 30}, IT_Record::Schwelle_2, 0, {0, 1, 0, 0, 1});
        check(B::InsideTemp, {0, 0, 31, 0, 29, 39, 8, 21}, IT_Record::von, 22,
              {0, 0, 31, 0, 29, 39, 22, 22});
        // Humidity, 1..99 % as 0..98.
        const QList<int> humid{0, 0, 75, 65};
        check(B::Humidity, humid, RelF_Record::Schwelle_1, 0, {0, 0, 1, 0});
        check(B::Humidity, {0, 1, 30, 40}, RelF_Record::Schwelle_1, 98, {0, 1, 97, 98});
        check(B::Humidity, humid, RelF_Record::Schwelle_2, 80, {0, 0, 81, 80});
        // Outside temperature: threshold 2 above threshold 1.
        const QList<int> outside{0, 11, 1, 14};
        check(B::OutsideTemp, outside, AT_Record::Schwelle_1, 59, {0, 58, 1, 59});
        check(B::OutsideTemp, outside, AT_Record::Schwelle_2, 0, {0, 0, 1, 1});
        check(B::OutsideTemp, outside, AT_Record::Schwelle_2, 30, {0, 11, 1, 30});
        // No rule between the reversing times.
        check(B::Reversing, {0, 4, 6}, RA_Record::Auf, 40, {0, 40, 6});
    }

    void toggleOnOff() {
        ParameterSet set;
        applyChangedEvent(set, ChangedEvent::SendAllDone);
        const BlockRecord& rec = set.record(BlockId::Reversing, 1, 6);
        korvane::toggleOnOff(set, BlockId::Reversing, 1, 6);
        QCOMPARE(rec.value[RA_Record::Ein_Aus], kOn);
        QVERIFY(rec.changed && !set.record(BlockId::Reversing, 0, 6).changed);
        korvane::toggleOnOff(set, BlockId::Reversing, 1, 6);
        QCOMPARE(rec.value[RA_Record::Ein_Aus], kOff);
    }

    // Each parameter's reply, its item text and the write back (the value twice); -1: refused.
    void systemParamReplies() {
        auto check = [](SystemParam id, const char* code, int value, int index,
                        const QString& item = {}) {
            const SystemParamDescription* d = systemParamForReplyCode(code);
            QVERIFY(d);
            QCOMPARE(d->id, id);
            ParameterSet set;
            const ReplyOutcome out = applySystemParamReply(set, id, ReplyValues{value, 99});
            QCOMPARE(out.stored, index >= 0);
            if (index < 0) {
                QVERIFY(!out.errorText.isEmpty() && set == ParameterSet());
                return;
            }
            QCOMPARE((QList{set.param(id), set.activeProfile}),
                     (QList{index, id == SystemParam::StoredProfile ? index : 0}));
            QCOMPARE(d->itemText(index), item);
            const QByteArray v = QByteArray::number(value);
            QCOMPARE(encodeSystemParamStep(set, id).writes,
                     QList<QByteArray>{QByteArray(d->writeCommand) + v + '\r' + v + '\r'});
        };
        using P = SystemParam;
        check(P::RandomSpan, "szz", 30, 28, QStringLiteral("± 30 min"));
        check(P::RandomSpan, "szz", 2, 0, QStringLiteral("± 2 min"));
        check(P::RandomSpan, "szz", 254, 252, QStringLiteral("± 254 min"));
        check(P::RandomSpan, "szz", 1, -1);
        check(P::RandomSpan, "szz", 255, -1);
        check(P::ShadingHysteresis, "sbh", 50, 48, QStringLiteral("50"));
        check(P::ShadingHysteresis, "sbh", 51, -1);
        check(P::OutsideOffset, "soa", 97, 2, QStringLiteral("- 3 °C"));
        check(P::OutsideOffset, "soa", 94, -1);
        check(P::InsideOffset, "soi", 100, 5, QStringLiteral("0 °C"));
        check(P::InsideOffset, "soi", 105, 10, QStringLiteral("+ 5 °C"));
        check(P::InsideOffset, "soi", 106, -1);
        check(P::StoredProfile, "ssp", 1, 1, QStringLiteral("Alternativ"));
        check(P::StoredProfile, "ssp", 2, -1);
    }

    void alarmSetup() {
        AlarmSetup alarm = defaultAlarmSetup();
        // Start-up: the middle choice for every motor, only the controller's motors.
        QCOMPARE(encodeAlarmStep(alarm, 3).writes,
                 (QList<QByteArray>{" ras1\r1\r2\r", " ras2\r1\r3\r", " ras3\r1\r4\r"}));

        QVERIFY(applyAlarmReply(alarm, {3, 2}).stored && alarm[2] == 2);
        QCOMPARE(encodeAlarmStep(alarm, 8).writes[2], QByteArray(" ras3\r2\r5\r"));

        const AlarmSetup before = alarm;
        // Other motor numbers are ignored; a fourth choice does not exist.
        const ReplyOutcome other = applyAlarmReply(alarm, {9, 0}),
                           bad = applyAlarmReply(alarm, {4, 3});
        QVERIFY(!other.stored && other.errorText.isEmpty());
        QVERIFY(!bad.stored && !bad.errorText.isEmpty());
        QCOMPARE(alarm, before);
        QCOMPARE(alarmChoiceText(1), QStringLiteral("¡"));
    }

    // One line per changed field of every kind, in the words of the pages; a
    // scope leaves out what a read-all of its model does not fetch.
    void differences() {
        ParameterSet before;
        before.motorNames.setName(2, QStringLiteral("K\u00FCche"));
        ParameterSet after = before;
        after.motorNames.setName(2, QStringLiteral("Bad"));
        after.switchTimes.at(0, 0, 0) = {kDirectionUp, kNoTime, 126, kGroupWorkdays,
                                         kFunctionAstro};
        after.switchTimes.at(1, 4, 3).direction = kDirectionDown;
        after.switchTimes.at(6, 0, 7).time = 391;
        after.record(BlockId::Shading, 0, 2).value[BA_Record::Lux] = 100;
        after.record(BlockId::OutsideTemp, 1, 7).value[AT_Record::Auf_Ab] = 2;
        after.alarmSetup[4] = 0;
        after.param(SystemParam::InsideOffset) = 7;
        const QString mo1 = "Schaltzeiten · Mo · Motor 1 (Motor 1) · Nr. 1 · ";
        const QStringList all = {
            "Motornamen · Motor 3: Küche → Bad",
            mo1 + "Dauer: 40s → Dau",
            mo1 + "Gruppe: - → Mo - Fr",
            mo1 + "Funktion: - → Astro",
            "Schaltzeiten · Di · Motor 5 (Motor 5) · Nr. 4 · Richtung: ↑ → ↓",
            "Schaltzeiten · So · Motor 1 (Motor 1) · Nr. 8 · Schaltzeit: leer → 06:30",
            "Beschattung · Motor 3 (Bad) · Standard · Grenz- Lux-Wert: 244 → 200",
            "Außentemperatur-Strg. · Motor 8 (Motor 8) · Alternativ · Auf, Ab, deaktiv: ↓ → "
            "deaktiv",
            "Alarm Setup · Motor 5 (Motor 5): ○ → ↑",
            "Parameter · Offset Innentemperatur: 0 °C → + 2 °C"};
        // Scopes: sensor, conservatory, key-press automatic, motors, slots.
        QCOMPARE(parameterDifferences(before, after, {true, true, true, 8, 8}), all);
        QCOMPARE(parameterDifferences(before, after, {true, false, false, 8, 8}),
                 (all.mid(0, 7) << all[8]));
        QCOMPARE(parameterDifferences(before, after, {false, false, false, 8, 8}), all.mid(0, 6));
        QCOMPARE(parameterDifferences(before, after, {true, true, true, 4, 6}),
                 (all.mid(0, 4) << all[6] << all[9]));
        QVERIFY(parameterDifferences(after, after, fullModel()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestParameterSet)
#include "tst_parameterset.moc"
