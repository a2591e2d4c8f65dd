#include "files/FileAccess.h"
#include "files/SettingsFile.h"
#include "files/SettingsLayout.h"
#include "text/Cp1252.h"
#include "text/EchoText.h"

#include <QSet>
#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace korvane {
namespace {

constexpr QStringView kDays[] = {u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa", u"So"};

// A signed decimal that fits 32 bits; surrounding blanks are tolerated.
std::optional<qint32> parseNumber(QStringView text) {
    text = text.trimmed();
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (negative || (!text.isEmpty() && text[0] == u'+'))
        ++i;
    if (i == text.size())
        return std::nullopt;
    qint64 v = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        v = v * 10 + (c - u'0');
        if (v > 2147483648LL)
            return std::nullopt;
    }
    v = negative ? -v : v;
    if (v > 2147483647LL)
        return std::nullopt;
    return qint32(v);
}

std::optional<int> digitAt(QStringView line, qsizetype pos) {
    if (pos < 0 || pos >= line.size() || line[pos] < u'0' || line[pos] > u'9')
        return std::nullopt;
    return line[pos].unicode() - u'0';
}

bool isValidGroup(qint32 g) {
    return g == kGroupSingleDay || g == kGroupWeekend || g == kGroupWorkdays ||
           g == kGroupWholeWeek;
}

// A text editor's UTF-8: bytes above ASCII that form valid UTF-8 throughout.
// Windows-1252 text with umlauts practically never does (an "ü" is 0xFC, which
// UTF-8 never holds).
bool isUtf8WithHighBytes(QByteArrayView bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString decoded = decoder(bytes);
    Q_UNUSED(decoded);
    return !decoder.hasError();
}

// NUL .. US and DEL. The five bytes that Windows-1252 leaves undefined stay
// allowed: a controller may hold them, and its backup must load again.
bool isControlCharacter(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

class Reader {
public:
    explicit Reader(ParameterSet& set) : m_set(set) {}

    LoadResult run(QByteArrayView bytes) {
        m_utf8 = isUtf8WithHighBytes(bytes);
        if (m_utf8 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3); // the byte order mark some editors write
        const QList<QByteArrayView> lines = splitLines(bytes);
        if (!hasKnownSection(lines)) {
            m_result.status = LoadResult::Status::NotSettingsFile;
            return m_result;
        }
        for (QByteArrayView raw : lines) {
            ++m_lineNo;
            m_line = m_utf8 ? QString::fromUtf8(raw) : fromCp1252(raw);
            if (!handleLine())
                return m_result;
        }
        checkComplete();
        if (m_result.ok() && m_utf8)
            m_result.warnings << QStringLiteral(
                "Die Datei ist als UTF-8 gespeichert, nicht als Windows-1252; sie wurde aus UTF-8 "
                "umgewandelt.");
        return m_result;
    }

private:
    // CR LF, LF and CR alone.
    static QList<QByteArrayView> splitLines(QByteArrayView bytes) {
        QList<QByteArrayView> lines;
        qsizetype start = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != '\n' && bytes[i] != '\r')
                continue;
            lines.append(bytes.sliced(start, i - start));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        if (start < bytes.size())
            lines.append(bytes.sliced(start));
        return lines;
    }

    static QString headerText(const QString& line) {
        const qsizetype close = line.indexOf(u']');
        return line.mid(1, close < 0 ? -1 : close - 1);
    }

    bool hasKnownSection(const QList<QByteArrayView>& lines) const {
        for (QByteArrayView raw : lines) {
            if (raw.startsWith('[') && m_layout.sectionIndex(headerText(fromCp1252(raw))) >= 0)
                return true;
        }
        return false;
    }

    void markKeysSeen() {
        if (m_sectionIndex < 0)
            return;
        const QStringList& keys = m_layout.sections[m_sectionIndex].keys;
        for (int k = 0; k < keys.size(); ++k) {
            if (m_line.startsWith(keys[k]))
                m_keysSeen[m_sectionIndex] |= 1u << k;
        }
    }

    // Every section that the writer always writes must be there with all of
    // its key lines. The key-press sections may all be missing (files of
    // older versions end before them), but not some of them.
    void checkComplete() {
        bool optionalPresent = false;
        for (size_t i = 0; i < m_keysSeen.size(); ++i)
            optionalPresent = optionalPresent || (m_layout.sections[i].optional && m_keysSeen[i]);
        for (size_t i = 0; i < m_keysSeen.size(); ++i) {
            const SettingsSection& s = m_layout.sections[i];
            if (s.optional && !optionalPresent)
                continue;
            for (int k = 0; k < s.keys.size(); ++k) {
                if (m_keysSeen[i] & (1u << k))
                    continue;
                m_result.status = LoadResult::Status::MissingSection;
                m_result.section = s.header;
                if (m_keysSeen[i] != 0 || m_headersSeen.contains(int(i)))
                    m_result.missingKey = s.keys[k];
                return;
            }
        }
    }

private:
    bool fail(LoadResult::Status status) {
        m_result.status = status;
        m_result.line = m_lineNo;
        m_result.lineText = m_line;
        return false;
    }
    bool malformed() { return fail(LoadResult::Status::Malformed); }
    bool unknownWord(const QString& allowed) {
        m_result.allowed = allowed;
        return fail(LoadResult::Status::UnknownWord);
    }

    // Reports the line that set the remembered value, or the current line
    // when no line has set it.
    bool outOfRange(int key) {
        fail(LoadResult::Status::OutOfRange);
        if (m_valueLine[key] > 0) {
            m_result.line = m_valueLine[key];
            m_result.lineText = m_valueText[key];
        }
        return false;
    }

    QStringView afterEquals() const { return QStringView(m_line).sliced(m_line.indexOf(u'=') + 1); }

    bool handleLine() {
        if (m_line.isEmpty())
            return true;
        if (m_line[0] == u'[' && !header())
            return false;
        if (!m_line.contains(u'='))
            return true;
        markKeysSeen();
        return updateKeys() && sectionAction();
    }

    bool header() {
        m_sectionIndex = m_layout.sectionIndex(headerText(m_line));
        if (m_sectionIndex >= 0)
            m_headersSeen.insert(m_sectionIndex);
        const qsizetype underscore = m_line.indexOf(u'_');
        m_section = underscore < 0 ? QString() : m_line.mid(1, underscore - 1);
        if (m_section == u"Schaltzeit") {
            const QStringView day = QStringView(m_line).mid(12, 2);
            for (int d = 0; d < 7; ++d) {
                if (day == kDays[d])
                    m_day = d + 1;
            }
        }
        return addressDigit(u"_Motor", m_motor) && addressDigit(u"_Nr", m_slot) &&
               addressDigit(u"_Profil", m_profile);
    }

    bool addressDigit(QStringView marker, int& target) {
        const qsizetype at = m_line.indexOf(marker);
        if (at < 0)
            return true;
        const auto digit = digitAt(m_line, at + marker.size());
        if (!digit)
            return malformed();
        target = *digit;
        return true;
    }

    void remember(int key, qint32 value) {
        m_value[key] = value;
        m_valueLine[key] = m_lineNo;
        m_valueText[key] = m_line;
    }

    bool updateKeys() {
        const QStringView value = afterEquals();
        for (int key = 0; key < int(m_layout.keys.size()); ++key) {
            const SettingsKey& k = m_layout.keys[key];
            if (!m_line.startsWith(k.key))
                continue;
            switch (k.read) {
            case KeyRead::Number: {
                const auto v = parseNumber(value);
                if (!v)
                    return malformed();
                remember(key, *v);
                break;
            }
            case KeyRead::EinAus:
                if (value.left(3) == u"Ein")
                    remember(key, 0);
                else if (value.left(3) == u"Aus")
                    remember(key, 1);
                else
                    return unknownWord(QStringLiteral("Ein, Aus"));
                break;
            case KeyRead::Richtung:
                if (value.left(3) == u"Auf")
                    remember(key, 0);
                else if (value.left(2) == u"Ab")
                    remember(key, 1);
                else if (value.left(2) == u"De")
                    remember(key, 2);
                else
                    return unknownWord(m_section == u"AussenTemperatursteuerung"
                                           ? QStringLiteral("Auf, Ab, Deaktiv")
                                           : QStringLiteral("Auf, Ab"));
                break;
            case KeyRead::GrKl:
                if (value.left(2) == u"Gr")
                    remember(key, 0);
                else if (value.left(2) == u"Kl")
                    remember(key, 1);
                else
                    return unknownWord(QStringLiteral("Gr, Kl"));
                break;
            case KeyRead::Stunde:
            case KeyRead::Minute: {
                if (value.left(2) == u"--") {
                    if (k.read == KeyRead::Stunde)
                        remember(key, 24);
                    break;
                }
                const auto v = parseNumber(value.left(2));
                if (!v)
                    return malformed();
                remember(key, *v);
                break;
            }
            case KeyRead::Gruppe: {
                const auto v = parseNumber(value.left(1));
                if (!v)
                    return malformed();
                remember(key, *v);
                break;
            }
            case KeyRead::Funktion:
                if (value.left(5) == u"Norma")
                    remember(key, kFunctionFixed);
                else if (value.left(5) == u"Astro")
                    remember(key, kFunctionAstro);
                else if (value.left(5) == u"Zufal")
                    remember(key, kFunctionRandom);
                else
                    return unknownWord(QStringLiteral("Normal, Astro, Zufall"));
                break;
            }
        }
        return true;
    }

    bool sectionAction() {
        if (m_section == u"Motor-Namen")
            return motorName();
        if (m_section == u"Schaltzeit")
            return m_line.startsWith(u"Funktion") ? switchTime() : true;
        if (m_section == u"AlarmPattern")
            return alarm();
        if (m_section == u"Parameter")
            return parameter();
        for (const BlockDescription& b : blockDescriptions()) {
            if (m_section == QLatin1StringView(b.fileSection))
                return m_line.startsWith(QLatin1StringView(b.fileTriggerKey())) ? block(b) : true;
        }
        return true;
    }

    bool motorName() {
        const auto n = digitAt(m_line, 5);
        if (!n)
            return malformed();
        if (*n < 1 || *n > MotorNames::kCount)
            return true;
        const QString name = afterEquals().toString();
        if (std::any_of(name.begin(), name.end(), isControlCharacter))
            return fail(LoadResult::Status::ControlCharacter);
        // Only a UTF-8 file can hold characters beyond Windows-1252.
        if (m_utf8 && fromCp1252(toCp1252(name)) != name)
            return fail(LoadResult::Status::NotWindows1252);
        m_set.motorNames.setName(*n - 1, name);
        return true;
    }

    bool switchTime() {
        if (!isValidSlotAddress(m_day - 1, m_motor - 1, m_slot - 1))
            return true;
        SwitchTimeSlot s = m_set.switchTimes.at(m_day - 1, m_motor - 1, m_slot - 1);
        s.direction = m_value[StRichtung];
        if (s.direction != kDirectionUp && s.direction != kDirectionDown)
            return outOfRange(StRichtung);
        const qint32 hour = m_value[StStunde];
        const qint32 minute = m_value[StMinute];
        if (hour == 24) {
            s.time = kNoTime;
        } else if (hour < 0 || hour > 23) {
            return outOfRange(StStunde);
        } else if (minute < 0 || minute > 59) {
            return outOfRange(StMinute);
        } else {
            s.time = hour * 60 + minute + 1;
        }
        const qint64 duration = durationIndexFromFile(m_value[StDauer]);
        if (duration < 0 || duration >= kDurationItemCount)
            return outOfRange(StDauer);
        s.duration = qint32(duration);
        s.group = m_value[StGruppe];
        if (!isValidGroup(s.group))
            return outOfRange(StGruppe);
        s.function = m_value[StFunktion];
        s.changed = 1;
        m_set.switchTimes.at(m_day - 1, m_motor - 1, m_slot - 1) = s;
        return true;
    }

    bool block(const BlockDescription& b) {
        if (m_profile < 1 || m_profile > kProfileCount || m_motor < 1 || m_motor > kMotorCount)
            return true;
        BlockRecord& rec = m_set.record(b.id, m_profile - 1, m_motor - 1);
        auto values = rec.value;
        for (int f = 0; f < b.fieldCount(); ++f) {
            const FieldDescription& fd = b.fields[f];
            const int key = m_layout.fieldKeys[int(b.id)][f];
            const qint64 index = fieldIndexFromFile(fd, m_value[key]);
            if (!indexInRange(fd, index))
                return outOfRange(key);
            values[f] = qint32(index);
        }
        rec.value = values;
        return true;
    }

    bool alarm() {
        const auto n = digitAt(m_line, 5);
        if (!n)
            return malformed();
        const auto v = parseNumber(afterEquals());
        if (!v)
            return malformed();
        if (*n < 1 || *n > int(m_set.alarmSetup.size()))
            return true;
        if (*v < 0 || *v >= kAlarmChoiceCount)
            return fail(LoadResult::Status::OutOfRange);
        m_set.alarmSetup[*n - 1] = *v;
        return true;
    }

    bool parameter() {
        const auto v = parseNumber(afterEquals());
        if (!v)
            return malformed();
        for (const SystemParamDescription& p : systemParamDescriptions()) {
            if (!m_line.startsWith(QLatin1StringView(p.fileKey).left(9)))
                continue;
            const qint64 index = qint64(*v) - p.fileOffset;
            if (index < 0 || index >= p.itemCount)
                return fail(LoadResult::Status::OutOfRange);
            m_set.param(p.id) = qint32(index);
        }
        return true;
    }

    const SettingsLayout& m_layout = SettingsLayout::instance();
    ParameterSet& m_set;
    LoadResult m_result;
    int m_lineNo = 0;
    QString m_line;
    QString m_section;
    int m_day = 0;
    int m_motor = 0;
    int m_slot = 0;
    int m_profile = 0;
    std::vector<qint32> m_value = std::vector<qint32>(m_layout.keys.size());
    std::vector<int> m_valueLine = std::vector<int>(m_layout.keys.size());
    std::vector<QString> m_valueText = std::vector<QString>(m_layout.keys.size());
    // Per section of the layout: which of its key lines the file has.
    std::vector<quint32> m_keysSeen = std::vector<quint32>(m_layout.sections.size());
    QSet<int> m_headersSeen;
    int m_sectionIndex = -1;
    bool m_utf8 = false;
};

// A name that the controller cuts to its cell is named, with what it keeps.
QStringList longNameWarnings(const MotorNames& names) {
    QStringList warnings;
    for (int m = 0; m < MotorNames::kCount; ++m) {
        const QString name = names.name(m);
        if (name.size() > MotorNames::kCellWidth)
            warnings << QStringLiteral("Der Name von Motor %1, \u201E%2\u201C, ist l\u00E4nger "
                                       "als %3 Zeichen; die Steuerung beh\u00E4lt davon nur "
                                       "\u201E%4\u201C.")
                            .arg(m + 1)
                            .arg(echoText(name))
                            .arg(MotorNames::kCellWidth)
                            .arg(name.left(MotorNames::kCellWidth));
    }
    return warnings;
}

} // namespace

QString LoadResult::message() const {
    QString text;
    switch (status) {
    case Status::Ok:
        return {};
    case Status::NotFound:
        return kFileNotFoundText.toString() + QStringLiteral(": \u201E%1\u201C").arg(path);
    case Status::NotReadable:
        return reason;
    case Status::Malformed:
        text = QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Wert ist keine g\u00FCltige "
                              "Zahl.")
                   .arg(line)
                   .arg(echoText(lineText));
        break;
    case Status::OutOfRange:
        text = QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Wert liegt au\u00DFerhalb "
                              "des zul\u00E4ssigen Bereichs.")
                   .arg(line)
                   .arg(echoText(lineText));
        break;
    case Status::UnknownWord:
        text = QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Wert ist keiner der Werte "
                              "dieser Zeile (%3).")
                   .arg(line)
                   .arg(echoText(lineText), allowed);
        break;
    case Status::ControlCharacter:
        text = QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Name enth\u00E4lt ein "
                              "Steuerzeichen.")
                   .arg(line)
                   .arg(echoText(lineText));
        break;
    case Status::NotWindows1252:
        text = QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Name enth\u00E4lt Zeichen, "
                              "die die Steuerung nicht darstellen kann (nur Windows-1252).")
                   .arg(line)
                   .arg(echoText(lineText));
        break;
    case Status::NotSettingsFile:
        text = QStringLiteral("Die Datei ist keine Korvane-Einstellungsdatei.");
        break;
    case Status::MissingSection:
        text = missingKey.isEmpty()
                   ? QStringLiteral("Die Datei ist unvollst\u00E4ndig: der Abschnitt [%1] fehlt.")
                         .arg(section)
                   : QStringLiteral("Die Datei ist unvollst\u00E4ndig: im Abschnitt [%1] fehlt "
                                    "die Zeile \u201E%2=\u201C.")
                         .arg(section, missingKey);
        break;
    }
    if (!path.isEmpty())
        text = QStringLiteral("\u201E%1\u201C:\n").arg(path) + text;
    return text + QStringLiteral("\nEs wurde nichts geladen.");
}

LoadResult loadSettingsBytes(QByteArrayView bytes, ParameterSet& set) {
    ParameterSet scratch = set;
    applyChangedEvent(scratch, ChangedEvent::FileLoaded);
    LoadResult result = Reader(scratch).run(bytes);
    if (!result.ok())
        return result;
    result.warnings << longNameWarnings(scratch.motorNames);
    scratch.activeProfile = scratch.param(SystemParam::StoredProfile);
    set = std::move(scratch);
    return result;
}

ParameterSet asSettingsFileHolds(ParameterSet set) {
    for (int i = 0; i < kSwitchTimeSlotCount; ++i) {
        qint32& duration = set.switchTimes[i].duration;
        const qint64 held = durationIndexFromFile(durationFileValue(duration));
        if (held >= 0 && held < kDurationItemCount)
            duration = qint32(held);
    }
    return set;
}

LoadResult loadSettingsFile(const QString& path, ParameterSet& set) {
    LoadResult failed;
    failed.path = path;
    if (fileIsMissing(path)) {
        failed.status = LoadResult::Status::NotFound;
        return failed;
    }
    const FileContent content = readRegularFile(path, kSettingsFileMaxBytes);
    if (!content.ok()) {
        failed.status = LoadResult::Status::NotReadable;
        failed.reason = content.problem;
        return failed;
    }
    LoadResult result = loadSettingsBytes(content.bytes, set);
    result.path = path;
    for (QString& warning : result.warnings)
        warning.prepend(QStringLiteral("\u201E%1\u201C: ").arg(path));
    return result;
}

} // namespace korvane
