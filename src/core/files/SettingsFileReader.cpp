#include "files/SettingsFile.h"
#include "text/Cp1252.h"

#include <QFile>
#include <optional>

namespace korvane {
namespace {

// The values the reader remembers between key lines.
enum Slot {
    OnOff,
    Direction,
    Comparison,
    Hour,
    Minute,
    Duration,
    Group,
    Function,
    Von,
    Bis,
    Helligkeit,
    Geschwindigkeit,
    BeiAuf,
    BeiAb,
    SollTemperatur,
    Temperatur,
    Schwelle1,
    Schwelle2,
    Regelbereich,
    MaxStellzeit,
    Schritte,
    SlotCount
};

// How a key's value is read: a number to the end of the line, or a fixed
// number of characters right after the "=".
enum class KeyKind { Number, EinAus, Richtung, GrKl, Stunde, Minute, Gruppe, Funktion };

struct KeyDef {
    QStringView key;
    Slot slot;
    KeyKind kind;
};

constexpr KeyDef kKeys[] = {
    {u"EinAus", OnOff, KeyKind::EinAus},
    {u"Richtung", Direction, KeyKind::Richtung},
    {u"Gr_KL", Comparison, KeyKind::GrKl},
    {u"Stunde", Hour, KeyKind::Stunde},
    {u"Minute", Minute, KeyKind::Minute},
    {u"Dauer", Duration, KeyKind::Number},
    {u"Gruppe", Group, KeyKind::Gruppe},
    {u"Funktion", Function, KeyKind::Funktion},
    {u"Von", Von, KeyKind::Number},
    {u"Bis", Bis, KeyKind::Number},
    {u"Helligkeit", Helligkeit, KeyKind::Number},
    {u"Geschwindigkeit", Geschwindigkeit, KeyKind::Number},
    {u"Bei_Auf", BeiAuf, KeyKind::Number},
    {u"Bei_Ab", BeiAb, KeyKind::Number},
    {u"SollTemperatur", SollTemperatur, KeyKind::Number},
    {u"Temperatur", Temperatur, KeyKind::Number},
    {u"Schwelle1", Schwelle1, KeyKind::Number},
    {u"Schwelle2", Schwelle2, KeyKind::Number},
    {u"Regelbereich", Regelbereich, KeyKind::Number},
    {u"MaxStellzeit", MaxStellzeit, KeyKind::Number},
    {u"Schritte", Schritte, KeyKind::Number},
};

Slot slotForKey(QStringView key) {
    for (const KeyDef& k : kKeys) {
        if (k.key == key)
            return k.slot;
    }
    Q_UNREACHABLE();
    return OnOff;
}

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

class Reader {
public:
    explicit Reader(ParameterSet& set) : m_set(set) {}

    LoadResult run(QByteArrayView bytes) {
        qsizetype start = 0;
        while (start < bytes.size()) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            QByteArrayView raw = bytes.sliced(start, end - start);
            if (raw.endsWith('\r'))
                raw.chop(1);
            ++m_lineNo;
            m_line = fromCp1252(raw);
            if (!handleLine())
                return m_result;
            start = end + 1;
        }
        return m_result;
    }

private:
    bool fail(LoadResult::Status status) {
        m_result.status = status;
        m_result.line = m_lineNo;
        m_result.lineText = m_line;
        return false;
    }
    bool malformed() { return fail(LoadResult::Status::Malformed); }

    // Reports the line that set the remembered value, or the current line
    // when no line has set it.
    bool outOfRange(Slot slot) {
        fail(LoadResult::Status::OutOfRange);
        if (m_valueLine[slot] > 0) {
            m_result.line = m_valueLine[slot];
            m_result.lineText = m_valueText[slot];
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
        return updateKeys() && sectionAction();
    }

    bool header() {
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

    void remember(Slot slot, qint32 value) {
        m_value[slot] = value;
        m_valueLine[slot] = m_lineNo;
        m_valueText[slot] = m_line;
    }

    bool updateKeys() {
        const QStringView value = afterEquals();
        for (const KeyDef& k : kKeys) {
            if (!m_line.startsWith(k.key))
                continue;
            switch (k.kind) {
            case KeyKind::Number: {
                const auto v = parseNumber(value);
                if (!v)
                    return malformed();
                remember(k.slot, *v);
                break;
            }
            case KeyKind::EinAus:
                if (value.left(3) == u"Ein")
                    remember(k.slot, 0);
                else if (value.left(3) == u"Aus")
                    remember(k.slot, 1);
                break;
            case KeyKind::Richtung:
                if (value.left(3) == u"Auf")
                    remember(k.slot, 0);
                else if (value.left(2) == u"Ab")
                    remember(k.slot, 1);
                else if (value.left(2) == u"De")
                    remember(k.slot, 2);
                break;
            case KeyKind::GrKl:
                if (value.left(2) == u"Gr")
                    remember(k.slot, 0);
                else if (value.left(2) == u"Kl")
                    remember(k.slot, 1);
                break;
            case KeyKind::Stunde:
            case KeyKind::Minute: {
                if (value.left(2) == u"--") {
                    if (k.kind == KeyKind::Stunde)
                        remember(k.slot, 24);
                    break;
                }
                const auto v = parseNumber(value.left(2));
                if (!v)
                    return malformed();
                remember(k.slot, *v);
                break;
            }
            case KeyKind::Gruppe: {
                const auto v = parseNumber(value.left(1));
                if (!v)
                    return malformed();
                remember(k.slot, *v);
                break;
            }
            case KeyKind::Funktion:
                if (value.left(5) == u"Norma")
                    remember(k.slot, kFunctionFixed);
                else if (value.left(5) == u"Astro")
                    remember(k.slot, kFunctionAstro);
                else if (value.left(5) == u"Zufal")
                    remember(k.slot, kFunctionRandom);
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
        if (*n >= 1 && *n <= MotorNames::kCount)
            m_set.motorNames.setName(*n - 1, afterEquals().toString());
        return true;
    }

    bool switchTime() {
        if (!isValidSlotAddress(m_day - 1, m_motor - 1, m_slot - 1))
            return true;
        SwitchTimeSlot s = m_set.switchTimes.at(m_day - 1, m_motor - 1, m_slot - 1);
        s.direction = m_value[Direction];
        if (s.direction != kDirectionUp && s.direction != kDirectionDown)
            return outOfRange(Direction);
        const qint32 hour = m_value[Hour];
        const qint32 minute = m_value[Minute];
        if (hour == 24) {
            s.time = kNoTime;
        } else if (hour < 0 || hour > 23) {
            return outOfRange(Hour);
        } else if (minute < 0 || minute > 59) {
            return outOfRange(Minute);
        } else {
            s.time = hour * 60 + minute + 1;
        }
        const qint32 d = m_value[Duration];
        const qint64 duration = d <= 100 ? qint64(d) - 1 : 100 + (d - 100) / 10;
        if (duration < 0 || duration >= kDurationItemCount)
            return outOfRange(Duration);
        s.duration = qint32(duration);
        s.group = m_value[Group];
        if (!isValidGroup(s.group))
            return outOfRange(Group);
        s.function = m_value[Function];
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
            const Slot slot = slotForKey(QLatin1StringView(fd.fileKey).toString());
            const qint64 raw = m_value[slot];
            qint64 index = raw;
            if (fd.file == FileConv::Number)
                index = raw - fd.fileOffset;
            else if (fd.file == FileConv::WindSpeed)
                index = raw / 5 - 1;
            if (!indexInRange(fd, index))
                return outOfRange(slot);
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

    ParameterSet& m_set;
    LoadResult m_result;
    int m_lineNo = 0;
    QString m_line;
    QString m_section;
    int m_day = 0;
    int m_motor = 0;
    int m_slot = 0;
    int m_profile = 0;
    std::array<qint32, SlotCount> m_value{};
    std::array<int, SlotCount> m_valueLine{};
    std::array<QString, SlotCount> m_valueText{};
};

} // namespace

QString LoadResult::message() const {
    switch (status) {
    case Status::Ok:
        return {};
    case Status::NotFound:
        return kFileNotFoundText.toString();
    case Status::Malformed:
        return QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Wert ist keine gültige "
                              "Zahl. Es wurde nichts geladen.")
            .arg(line)
            .arg(lineText);
    case Status::OutOfRange:
        return QStringLiteral("Fehler in Zeile %1 der Datei:\n%2\nDer Wert liegt außerhalb des "
                              "zulässigen Bereichs. Es wurde nichts geladen.")
            .arg(line)
            .arg(lineText);
    }
    return {};
}

LoadResult loadSettingsBytes(QByteArrayView bytes, ParameterSet& set) {
    ParameterSet scratch = set;
    applyChangedEvent(scratch, ChangedEvent::FileLoaded);
    const LoadResult result = Reader(scratch).run(bytes);
    if (!result.ok())
        return result;
    scratch.activeProfile = scratch.param(SystemParam::StoredProfile);
    set = std::move(scratch);
    return result;
}

LoadResult loadSettingsFile(const QString& path, ParameterSet& set) {
    QFile file(path);
    LoadResult notFound;
    notFound.status = LoadResult::Status::NotFound;
    if (!file.open(QIODevice::ReadOnly))
        return notFound;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return notFound;
    return loadSettingsBytes(bytes, set);
}

} // namespace korvane
