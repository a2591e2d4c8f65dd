// The settings file: exact bytes, round trip, reader quirks, all-or-nothing load and save.
#include "files/SettingsFile.h"
#include "text/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FileBytes.h"

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace korvane;

namespace {

QByteArray crlf(QByteArray text) {
    return text.replace("\n", "\r\n");
}

// A set in which nearly every value differs from its default.
ParameterSet variedSet() {
    ParameterSet set;
    set.motorNames.setName(0, QStringLiteral("Wohnzimmer"));
    set.motorNames.setName(2, QStringLiteral("Küche=Süd"));
    for (int i = 0; i < kSwitchTimeSlotCount; ++i) {
        SwitchTimeSlot& s = set.switchTimes[i];
        s.direction = i % 2;
        s.time = (i * 37) % 1441;
        s.duration = (i * 11) % 127; // 100 ("110") among them, written like 99 ("100")
        s.group = QList<int>{1, 2, 5, 7}[i % 4];
        s.function = i % 3;
    }
    for (const BlockDescription& b : blockDescriptions())
        for (int p = 0; p < kProfileCount; ++p)
            for (int m = 0; m < kMotorCount; ++m)
                for (int f = 0; f < b.fieldCount(); ++f)
                    set.record(b.id, p, m).value[f] =
                        (f * 3 + p * 7 + m * 5 + 2) % b.fields[f].itemCount;
    set.alarmSetup = {0, 1, 2, 0, 1, 2, 0, 1};
    set.param(SystemParam::RandomSpan) = 252;
    set.param(SystemParam::ShadingHysteresis) = 0;
    set.param(SystemParam::OutsideOffset) = 2;
    set.param(SystemParam::InsideOffset) = 10;
    set.param(SystemParam::StoredProfile) = 1;
    return set;
}

QByteArray section(const QByteArray& file, const QByteArray& header) {
    const qsizetype at = file.indexOf("[" + header + "]\r\n");
    return at < 0 ? QByteArray() : file.mid(at, file.indexOf("\r\n\r\n", at) + 4 - at);
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layout() {
        ParameterSet set;
        set.motorNames.setName(0, QStringLiteral("Wohnzimmer"));
        set.switchTimes.at(0, 0, 0) = {kDirectionUp, 6 * 60 + 30 + 1, 39, 5, 0, 1};
        const QByteArray file = settingsFileBytes(set);

        QCOMPARE((QList{file.count("\r\n"), file.count('\n')}), (QList<qsizetype>{4779, 4779}));
        QVERIFY(file.startsWith(crlf("[Motor-Namen_]\nMotor1=Wohnzimmer\nMotor2=Motor 2\n")));
        QVERIFY(file.endsWith(crlf("[TastAutomatik_Motor8_Profil2]\nEinAus=Aus\nDauer=39\n\n")));
        // Switch times, alarm, parameters and every block with its start-up values (rain:
        // refusedFilesChangeNothing).
        const QList<std::pair<QByteArray, QByteArray>> sections = {
            {"Schaltzeit_Mo_Motor1_Nr1",
             "Richtung=Auf\nStunde=6\nMinute=30\nDauer=40\nGruppe=5\nFunktion=Normal\n"},
            {"Schaltzeit_So_Motor8_Nr8",
             "Richtung=Auf\nStunde=--\nMinute=--\nDauer=40\nGruppe=1\nFunktion=Normal\n"},
            {"AlarmPattern_",
             "Motor1=1\nMotor2=1\nMotor3=1\nMotor4=1\nMotor5=1\nMotor6=1\nMotor7=1\nMotor8=1\n"},
            {"Parameter_", "Zufalls-Zeitspanne=30\nBeschattungs-Hysterese=10\nOffset_AT=0\n"
                           "Offset_IT=0\nAktives_Profil=1\n"},
            {"Beschattung_Motor1_Profil1",
             "EinAus=Aus\nTemperatur=22\nVon=10\nBis=20\nHelligkeit=244\nDauer=10\n"},
            {"DaemmerungMorgen_Motor2_Profil1", "EinAus=Aus\nVon=8\nHelligkeit=110\nDauer=40\n"},
            {"DaemmerungAbend_Motor3_Profil2", "EinAus=Aus\nVon=19\nHelligkeit=110\nDauer=40\n"},
            {"Wind_Motor3_Profil2", "EinAus=Aus\nGeschwindigkeit=30\n"},
            {"Reversierung_Motor5_Profil2", "EinAus=Aus\nBei_Auf=4\nBei_Ab=6\n"},
            {"ProportionaleTemperatursteuerung_Motor6_Profil1",
             "EinAus=Aus\nVon=10\nBis=22\nSollTemperatur=23\nRichtung=Auf\nRegelbereich=3\n"
             "MaxStellzeit=40\nSchritte=6\n"},
            {"InnenTemperatursteuerung_Motor1_Profil1",
             "EinAus=Aus\nGr_KL=Gr\nSchwelle1=22\nRichtung=Auf\nSchwelle2=20\nDauer=40\nVon=8\n"
             "Bis=21\n"},
            {"FeuchtigkeitsSteuerung_Motor7_Profil2",
             "EinAus=Aus\nGr_KL=Gr\nSchwelle1=76\nSchwelle2=66\nDauer=40\nVon=8\nBis=21\n"},
            {"AussenTemperatursteuerung_Motor8_Profil1",
             "EinAus=Aus\nSchwelle1=2\nRichtung=Ab\nSchwelle2=5\nDauer=40\n"},
            {"TastAutomatik_Motor1_Profil2", "EinAus=Aus\nDauer=39\n"}};
        for (const auto& [header, keys] : sections)
            QCOMPARE(section(file, header), crlf("[" + header + "]\n" + keys + "\n"));

        // Section order: names, switch times, ten blocks, alarm, parameters, key-press.
        auto at = [&](const char* header) { return file.indexOf(header); };
        QVERIFY(at("[AussenTemperatursteuerung_Motor8_Profil2]") < at("[AlarmPattern_]"));
        QVERIFY(at("[Parameter_]") < at("[TastAutomatik_Motor1_Profil1]"));
        QVERIFY(at("[Beschattung_Motor8_Profil1]") < at("[Beschattung_Motor1_Profil2]"));
    }

    void valueConversions() {
        ParameterSet set;
        set.switchTimes.at(1, 0, 0).time = 1;    // 00:00
        set.switchTimes.at(1, 0, 1).time = 1440; // 23:59
        for (int k = 2; k < 6; ++k)
            set.switchTimes.at(1, 0, k).duration = QList{99, 100, 125, 126}[k - 2];
        set.switchTimes.at(1, 0, 6).function = kFunctionRandom;
        set.switchTimes.at(1, 0, 6).direction = kDirectionDown;
        set.record(BlockId::TwilightEvening, 0, 0).value[DA_Record::Ein_Aus] = kOn;
        set.record(BlockId::OutsideTemp, 0, 0).value[AT_Record::Auf_Ab] = 2;
        set.param(SystemParam::StoredProfile) = 1;
        const QByteArray file = settingsFileBytes(set);

        const QList<std::pair<QByteArray, QByteArray>> lines = {
            {"Schaltzeit_Di_Motor1_Nr1", "Stunde=0\r\nMinute=0\r\n"},
            {"Schaltzeit_Di_Motor1_Nr2", "Stunde=23\r\nMinute=59\r\n"},
            {"Schaltzeit_Di_Motor1_Nr3", "Dauer=100\r\n"},
            {"Schaltzeit_Di_Motor1_Nr4", "Dauer=100\r\n"},
            {"Schaltzeit_Di_Motor1_Nr5", "Dauer=350\r\n"},
            {"Schaltzeit_Di_Motor1_Nr6", "Dauer=360\r\n"},
            {"Schaltzeit_Di_Motor1_Nr7", "Richtung=Ab\r\n"},
            {"Schaltzeit_Di_Motor1_Nr7", "Funktion=Zufall\r\n"},
            {"DaemmerungAbend_Motor1_Profil1", "EinAus=Ein\r\n"},
            {"DaemmerungMorgen_Motor1_Profil1", "EinAus=Aus\r\n"},
            {"AussenTemperatursteuerung_Motor1_Profil1", "Richtung=Deaktiv\r\n"},
            {"Parameter_", "Aktives_Profil=2\r\n"}};
        for (const auto& [header, line] : lines)
            QVERIFY2(section(file, header).contains(line), header + ": " + line);
    }

    void roundTrip() {
        const ParameterSet written = variedSet();
        ParameterSet read; // start-up state
        QVERIFY(loadSettingsBytes(settingsFileBytes(written), read).ok());

        // All that is lost is what asSettingsFileHolds drops: "110" comes back as "100".
        ParameterSet expected = asSettingsFileHolds(written);
        QCOMPARE((QList{written.switchTimes[113].duration, expected.switchTimes[113].duration}),
                 (QList{100, 99}));
        applyChangedEvent(expected, ChangedEvent::Startup); // the flags of `read` before loading
        applyChangedEvent(expected, ChangedEvent::FileLoaded);
        expected.activeProfile = 1; // the loaded active profile becomes the shown one
        QVERIFY(read == expected);
        QCOMPARE(settingsFileBytes(read), settingsFileBytes(written));
    }

    // Line ends CR alone as LF alone; a file an editor saved as UTF-8 (with or without its
    // byte order mark) is converted and says so; a name longer than the controller keeps
    // is named in a warning.
    void lineEndsTextAndWarnings() {
        ParameterSet written = variedSet();
        written.motorNames.setName(4, QStringLiteral("Wintergarten S\u00FCd"));
        const QByteArray file = settingsFileBytes(written);
        const QString longName = QStringLiteral(
            "\u201EWintergarten S\u00FCd\u201C, ist l\u00E4nger als 12 Zeichen; die Steuerung "
            "beh\u00E4lt davon nur \u201EWintergarten\u201C.");
        const QString utf8 = QStringLiteral("aus UTF-8 umgewandelt");
        const QByteArray asUtf8 = fromCp1252(file).toUtf8();
        const std::pair<QByteArray, QStringList> cases[] = {
            {file, {longName}},
            {QByteArray(file).replace("\r\n", "\r"), {longName}},
            {QByteArray(file).replace("\r\n", "\n"), {longName}},
            {asUtf8, {utf8, longName}},
            {"\xEF\xBB\xBF" + QByteArray(asUtf8).replace("\r\n", "\r"), {utf8, longName}}};
        for (const auto& [bytes, warnings] : cases) {
            ParameterSet read;
            const LoadResult r = loadSettingsBytes(bytes, read);
            QVERIFY2(r.ok(), qPrintable(r.message()));
            QCOMPARE(settingsFileBytes(read), file);
            QCOMPARE(r.warnings.size(), warnings.size());
            for (int i = 0; i < warnings.size(); ++i)
                QVERIFY2(r.warnings[i].contains(warnings[i]), qPrintable(r.warnings[i]));
        }
    }

    void readerQuirks() {
        const ParameterSet varied = variedSet();
        ParameterSet set;
        applyChangedEvent(set, ChangedEvent::SendAllDone);
        // After a whole file: LF-only line ends; values remembered across sections; a section
        // without its trigger line (Nr4: no Funktion) stores nothing; only the first five
        // characters of "Funktion" count.
        const QByteArray file =
            settingsFileBytes(varied) +
            "[Schaltzeit_Mi_Motor2_Nr3]\nRichtung=Ab\nStunde=--\nMinute=--\nDauer=360\nGruppe=7\n"
            "Funktion=Zufallsfunktion\n\n"
            "[Schaltzeit_Mi_Motor2_Nr4]\nStunde=0\nMinute=0\nDauer=40\n\n"
            "[Schaltzeit_Mi_Motor2_Nr5]\nFunktion=Astro\n\n"
            "[Beschattung_Motor4_Profil2]\nVon=10\nBis=20\nHelligkeit=244\nDauer=150\n\n"
            "[InnenTemperatursteuerung_Motor1_Profil1]\nEinAus=Ein\nGr_KL=Kl\nSchwelle1=22\n"
            "Richtung=Auf\nSchwelle2=30\nVon=8\nBis=8\n"
            "[Beschattung_Motor9_Profil1]\nDauer=10\n" // motor 9: ignored
            "[Motor-Namen_]\nMotor3=Bad=G\xe4ste\nMotor9=x\nunknown line\n"
            "[Unbekannt_]\nFoo=bar\n";
        const LoadResult r = loadSettingsBytes(file, set);
        QVERIFY2(r.ok(), qPrintable(r.message()));

        QCOMPARE(set.switchTimes.at(2, 1, 2),
                 (SwitchTimeSlot{kDirectionDown, kNoTime, 126, 7, kFunctionRandom, 1}));
        QCOMPARE(set.switchTimes.at(2, 1, 3).time, varied.switchTimes.at(2, 1, 3).time);
        // Slot 5 takes the values remembered from slot 4's lines: 00:00, 40 s.
        QCOMPARE(set.switchTimes.at(2, 1, 4),
                 (SwitchTimeSlot{kDirectionDown, 1, 39, 7, kFunctionAstro, 1}));
        // In a block section "Dauer" is the block's own conversion; the
        // other values are the ones remembered from the last lines before.
        const auto& ba = set.record(BlockId::Shading, 1, 3).value;
        const int lastKeyPressOn = varied.record(BlockId::KeyPress, 1, 7).value[0] == 0 ? 0 : 1;
        QCOMPARE((QList{ba[BA_Record::Dauer], ba[BA_Record::Ein_Aus], ba[BA_Record::Temperatur],
                        ba[BA_Record::von]}),
                 (QList{149, lastKeyPressOn,
                        varied.record(BlockId::Shading, 1, 7).value[BA_Record::Temperatur], 5}));
        // The inside block's run time is the "Dauer=150" carried over.
        const auto& it = set.record(BlockId::InsideTemp, 0, 0).value;
        QCOMPARE((QList{it[IT_Record::gr_kl], it[IT_Record::Schwelle_2], it[IT_Record::Stellzeit],
                        it[IT_Record::von], it[IT_Record::bis]}),
                 (QList{1, 39, 149, 8, 8}));
        QCOMPARE((QStringList{set.motorNames.name(2), set.motorNames.name(0)}),
                 (QStringList{"Bad=Gäste", "Wohnzimmer"}));
        // Everything loaded is marked for sending except the key-press block.
        QCOMPARE(set.switchTimes.changedCount(), kSwitchTimeSlotCount);
        QVERIFY(set.record(BlockId::Humidity, 1, 7).changed &&
                !set.record(BlockId::KeyPress, 0, 0).changed);
        QVERIFY(set.record(BlockId::KeyPress, 0, 0).value ==
                varied.record(BlockId::KeyPress, 0, 0).value);
    }

    // Files of older versions end before the key-press sections: their
    // records keep what memory holds.
    void olderFileWithoutKeyPress() {
        const QByteArray whole = settingsFileBytes(variedSet());
        ParameterSet set;
        set.record(BlockId::KeyPress, 1, 4).value[1] = 77;
        QVERIFY(loadSettingsBytes(whole.left(whole.indexOf("[TastAutomatik_")), set).ok());
        QCOMPARE(set.record(BlockId::KeyPress, 1, 4).value[1], 77);
        QCOMPARE(set.motorNames.name(0), QStringLiteral("Wohnzimmer"));
    }

    // Files that are not whole settings files, or hold a bad line, are refused with nothing
    // changed, not even the names or flags before the bad line; the message names the first
    // missing or incomplete section, or the bad line and its number.
    void refusedFilesChangeNothing() {
        using S = LoadResult::Status;
        auto check = [](const QByteArray& file, S status, const char* named, int line = 0) {
            ParameterSet set = variedSet();
            applyChangedEvent(set, ChangedEvent::SendAllDone);
            const ParameterSet before = set;
            const LoadResult r = loadSettingsBytes(file, set);
            QCOMPARE(r.status, status);
            QVERIFY2(r.message().contains(QString::fromUtf8(named)), qPrintable(r.message()));
            QVERIFY(r.message().endsWith(QStringLiteral("Es wurde nichts geladen.")));
            if (line > 0) {
                QCOMPARE(r.line, line);
                QCOMPARE(r.lineText, QString::fromUtf8(named));
                QVERIFY(r.message().contains(QString::number(line)));
            }
            QVERIFY(set == before);
        };
        const QByteArray whole = settingsFileBytes(ParameterSet());
        auto upTo = [&](const char* text) { return whole.left(whole.indexOf(text)); };
        auto without = [&](const QByteArray& part) {
            QByteArray f = whole;
            return f.replace(f.indexOf(part), part.size(), QByteArray());
        };
        const S foreign = S::NotSettingsFile, missing = S::MissingSection, bad = S::Malformed,
                range = S::OutOfRange;
        const char* notOurs = "keine Korvane-Einstellungsdatei";
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 7919) % 256);
        check(QByteArray(), foreign, notOurs);
        check(binary, foreign, notOurs);
        check("[General]\r\nMotor1=3\r\nDauer=4\r\n", foreign, notOurs);
        check(upTo("[Schaltzeit_"), missing, "[Schaltzeit_Mo_Motor1_Nr1] fehlt");
        check(upTo("Minute=--\r\nDauer=40\r\nGruppe=1\r\nFunktion=Normal\r\n\r\n"
                   "[Schaltzeit_Mo_Motor1_Nr2]"),
              missing, "[Schaltzeit_Mo_Motor1_Nr1] fehlt die Zeile \u201EMinute=\u201C");
        check(upTo("[Wind_Motor1_Profil1]"), missing, "[Wind_Motor1_Profil1] fehlt");
        check(upTo("[TastAutomatik_Motor5_Profil1]"), missing,
              "[TastAutomatik_Motor5_Profil1] fehlt");
        check(without("[Regen_Motor4_Profil2]\r\nEinAus=Aus\r\nRichtung=Auf\r\n\r\n"), missing,
              "der Abschnitt [Regen_Motor4_Profil2] fehlt.");
        const qsizetype cut = whole.lastIndexOf("Helligkeit=", whole.indexOf("[DaemmerungAbend_"));
        check(whole.left(cut) + whole.mid(cut + qstrlen("Helligkeit=110\r\n")), missing,
              "[DaemmerungMorgen_Motor8_Profil2] fehlt die Zeile \u201EHelligkeit=");
        check(without("Offset_IT=0\r\n"), missing, "[Parameter_] fehlt die Zeile \u201EOffset_IT=");

        const QByteArray head =
            "[Motor-Namen_]\r\nMotor1=Neu\r\n\r\n[Beschattung_Motor1_Profil1]\r\n";
        const QByteArray slot = "[Schaltzeit_Mo_Motor1_Nr1]\nRichtung=Auf\n";
        check(head + "EinAus=Ein\r\nTemperatur=zwanzig\r\n", bad, "Temperatur=zwanzig", 6);
        check(head + "Von=\r\n", bad, "Von=", 5);
        check("[Motor-Namen_]\nMotor1=Neu\n[Wind_MotorX_Profil1]\n", bad, "[Wind_MotorX_Profil1]",
              3);
        check("[Motor-Namen_]\nMotorX=Neu\n", bad, "MotorX=Neu", 2);
        check("[Schaltzeit_Mo_Motor1_Nr1]\nGruppe=x\n", bad, "Gruppe=x", 2);
        // Values outside their lists are refused where they were read.
        check(head + "EinAus=Ein\r\nTemperatur=36\r\nVon=10\r\nBis=20\r\nHelligkeit=244\r\n"
                     "Dauer=10\r\n",
              range, "Temperatur=36", 6);
        check("[DaemmerungMorgen_Motor1_Profil1]\nVon=8\nDauer=40\n", range, "Dauer=40", 3);
        check(slot + "Stunde=25\nMinute=0\nDauer=40\nGruppe=1\nFunktion=Normal\n", range,
              "Stunde=25", 3);
        check(slot + "Stunde=--\nDauer=40\nGruppe=3\nFunktion=Normal\n", range, "Gruppe=3", 5);
        check("[AlarmPattern_]\nMotor1=3\n", range, "Motor1=3", 2);
        check("[Parameter_]\nAktives_Profil=3\n", range, "Aktives_Profil=3", 2);
        // A word that is none of its key's words, where a number would be refused too.
        const S word = S::UnknownWord;
        check(slot + "Stunde=6\nMinute=0\nDauer=40\nGruppe=1\nFunktion=Foo\n", word, "Funktion=Foo",
              7);
        check("[Schaltzeit_Mo_Motor1_Nr1]\nRichtung=Seitw\xe4rts\n", word, "Richtung=Seitwärts", 2);
        check(head + "EinAus=Vielleicht\r\n", word, "EinAus=Vielleicht", 5);
        check("[InnenTemperatursteuerung_Motor1_Profil1]\nGr_KL=Mittel\n", word, "Gr_KL=Mittel", 2);
        check(head + "EinAus=Ein\r\nRichtung=\r\n", word, "Richtung=", 6);
        // Control bytes in a name; a name of a UTF-8 file beyond Windows-1252. The line is
        // echoed with the control visible.
        const char* control = "Zeile 2 der Datei:\nMotor1=K\u2400che\nDer Name enth\u00E4lt ein "
                              "Steuerzeichen.";
        check(QByteArray("[Motor-Namen_]\nMotor1=K") + '\0' + "che\n", S::ControlCharacter,
              control);
        check("[Motor-Namen_]\nMotor1=Bad\tG\n", S::ControlCharacter, "Motor1=Bad\u2409G");
        check("[Motor-Namen_]\nMotor1=Bad\x7f\n", S::ControlCharacter, "Motor1=Bad\u2421");
        check("[Motor-Namen_]\nMotor1=K\xc3\xbc"
              "che \xe2\x9c\x93\n",
              S::NotWindows1252, "Motor1=Küche ✓", 2);
        // A long value is echoed cut; CR alone ends a line, so the number names the line.
        const QByteArray longValue(1 << 20, '7');
        const QByteArray echoed =
            "Zeile 6 der Datei:\nTemperatur=" + QByteArray(29, '7') + "\u2026\n";
        check(QByteArray(head).replace("\r\n", "\r") + "EinAus=Ein\rTemperatur=" + longValue, bad,
              echoed.constData());
        ParameterSet set;
        QVERIFY(loadSettingsBytes(head + "Temperatur=" + longValue, set).message().size() < 200);
    }

    void saveAndLoadFiles() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("anlage.vts"));
        const ParameterSet written = variedSet();
        QVERIFY(saveSettingsFile(path, written).ok);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), settingsFileBytes(written));

        ParameterSet read;
        QVERIFY(loadSettingsFile(path, read).ok());
        const ParameterSet before = read;
        // What failed, and for which path.
        const QString absent = dir.filePath(QStringLiteral("fehlt.vts"));
        const LoadResult missing = loadSettingsFile(absent, read);
        QCOMPARE(missing.status, LoadResult::Status::NotFound);
        QCOMPARE(missing.message(), QStringLiteral("File not found: \u201E%1\u201C").arg(absent));
        // Only a regular file within the size limit is read; anything else is refused at
        // once (a FIFO would wait for a writer, /dev/zero never ends).
        QTemporaryDir other;
        const QString fifo = other.filePath(QStringLiteral("fifo.vts"));
        const QString linked = other.filePath(QStringLiteral("link.vts"));
        const QString large = other.filePath(QStringLiteral("gross.vts"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(fifo, linked));
        QByteArray oversized = settingsFileBytes(written);
        oversized += QByteArray(kSettingsFileMaxBytes + 1 - oversized.size(), '\n');
        QVERIFY(test::writeBytes(large, oversized));
        QVERIFY(loadSettingsBytes(oversized, read).ok()); // the bytes alone would load
        read = before;
        const std::pair<QString, QString> unreadable[] = {
            {dir.path(), "\u201E%1\u201C ist ein Ordner"},
            {fifo, "\u201E%1\u201C ist keine gew\u00F6hnliche Datei, sondern eine Pipe (FIFO)."},
            {linked, "\u201E%1\u201C ist keine gew\u00F6hnliche Datei, sondern eine Pipe"},
            {"/dev/zero", "\u201E%1\u201C ist keine gew\u00F6hnliche Datei, sondern eine "
                          "Ger\u00E4tedatei."},
            {large, "\u201E%1\u201C ist zu gro\u00DF (mehr als 4.194.304 Bytes) und wird nicht "
                    "gelesen."}};
        for (const auto& [file, text] : unreadable) {
            const LoadResult r = loadSettingsFile(file, read);
            QCOMPARE(r.status, LoadResult::Status::NotReadable);
            QVERIFY2(r.message().contains(text.arg(file)), qPrintable(r.message()));
        }
        QVERIFY(read == before);
        // A file is replaced only where a new file can be made next to it.
        QVERIFY(!saveSettingsFile(fifo, written).ok);
        // Root may write anywhere by its permission bits, yet /proc takes no file.
        const SaveResult proc = saveSettingsFile(QStringLiteral("/proc/version"), written);
        QVERIFY2(geteuid() != 0 ||
                     proc.errorText ==
                         QStringLiteral("\u201E/proc/version\u201C kann nicht gespeichert werden: "
                                        "In den Ordner \u201E/proc\u201C kann keine Datei "
                                        "geschrieben werden (das Dateisystem nimmt dort keine "
                                        "neuen Dateien an)."),
                 qPrintable(proc.errorText));
        QVERIFY(!proc.ok && proc.errorText.contains(QStringLiteral("\u201E/proc")));

        QVERIFY(!saveSettingsFile(dir.filePath(QStringLiteral("kein/ordner.vts")), written).ok);
#ifdef Q_OS_UNIX
        // A file size limit makes a save fail half way, like a full disk: the old file stays.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{8192, saved.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const SaveResult r = saveSettingsFile(path, ParameterSet());
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!r.ok && !r.errorText.isEmpty());
        f.close();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), settingsFileBytes(written));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"anlage.vts"});
#endif
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
