#include "files/SettingsFile.h"
#include "params/SwitchTimeTexts.h"
#include "text/Cp1252.h"

#include <QSaveFile>

namespace korvane {
namespace {

// Order of the per-motor block sections; key-press comes last, after the
// alarm pattern and the parameters.
constexpr BlockId kFileBlockOrder[] = {
    BlockId::Shading,  BlockId::TwilightMorning, BlockId::TwilightEvening, BlockId::Wind,
    BlockId::Rain,     BlockId::Reversing,       BlockId::Proportional,    BlockId::InsideTemp,
    BlockId::Humidity, BlockId::OutsideTemp,
};

class Lines {
public:
    void header(const QString& section) { line(u'[' + section + u']'); }
    void key(const QString& key, const QString& value) { line(key + u'=' + value); }
    void key(const QString& key, qint32 value) { this->key(key, QString::number(value)); }
    void endSection() { line(QString()); }
    QByteArray bytes() const { return m_out; }

private:
    void line(const QString& text) {
        m_out += toCp1252(text);
        m_out += "\r\n";
    }
    QByteArray m_out;
};

QString fieldFileValue(const FieldDescription& f, qint32 index) {
    switch (f.file) {
    case FileConv::Number:
        return QString::number(index + f.fileOffset);
    case FileConv::EinAus:
        return index == 0 ? QStringLiteral("Ein") : QStringLiteral("Aus");
    case FileConv::AufAb:
        return index == 0 ? QStringLiteral("Auf") : QStringLiteral("Ab");
    case FileConv::AufAbDeaktiv:
        return index == 0   ? QStringLiteral("Auf")
               : index == 1 ? QStringLiteral("Ab")
                            : QStringLiteral("Deaktiv");
    case FileConv::GrKl:
        return index == 0 ? QStringLiteral("Gr") : QStringLiteral("Kl");
    case FileConv::WindSpeed:
        return QString::number((index + 1) * 5);
    }
    return QString::number(index);
}

// Duration index 0..98 -> 1..99, 99 -> 100, 100.. -> 100 + 10 * (i - 100):
// index 99 ("100") and 100 ("110") are both written as 100.
qint32 durationFileValue(qint32 i) {
    return i <= 99 ? i + 1 : 100 + 10 * (i - 100);
}

QString functionFileValue(qint32 code) {
    switch (code) {
    case kFunctionAstro:
        return QStringLiteral("Astro");
    case kFunctionRandom:
        return QStringLiteral("Zufall");
    default:
        return QStringLiteral("Normal");
    }
}

void writeMotorNames(Lines& out, const MotorNames& names) {
    out.header(QStringLiteral("Motor-Namen_"));
    for (int m = 0; m < MotorNames::kCount; ++m)
        out.key(QStringLiteral("Motor%1").arg(m + 1), names.name(m));
    out.endSection();
}

void writeSwitchTimes(Lines& out, const SwitchTimeTable& table) {
    for (int d = 0; d < kSwitchDays; ++d) {
        for (int m = 0; m < kSwitchMotors; ++m) {
            for (int k = 0; k < kSlotsPerMotor; ++k) {
                const SwitchTimeSlot& s = table.at(d, m, k);
                out.header(QStringLiteral("Schaltzeit_%1_Motor%2_Nr%3")
                               .arg(dayAbbreviation(d))
                               .arg(m + 1)
                               .arg(k + 1));
                out.key(QStringLiteral("Richtung"),
                        s.direction == kDirectionUp ? QStringLiteral("Auf") : QStringLiteral("Ab"));
                const bool noTime = s.time == kNoTime;
                out.key(QStringLiteral("Stunde"),
                        noTime ? QStringLiteral("--") : QString::number((s.time - 1) / 60));
                out.key(QStringLiteral("Minute"),
                        noTime ? QStringLiteral("--") : QString::number((s.time - 1) % 60));
                out.key(QStringLiteral("Dauer"), durationFileValue(s.duration));
                out.key(QStringLiteral("Gruppe"), s.group);
                out.key(QStringLiteral("Funktion"), functionFileValue(s.function));
                out.endSection();
            }
        }
    }
}

void writeBlock(Lines& out, const ParameterSet& set, BlockId id) {
    const BlockDescription& b = blockDescription(id);
    for (int p = 0; p < kProfileCount; ++p) {
        for (int m = 0; m < kMotorCount; ++m) {
            const BlockRecord& rec = set.record(id, p, m);
            out.header(QStringLiteral("%1_Motor%2_Profil%3")
                           .arg(QLatin1StringView(b.fileSection))
                           .arg(m + 1)
                           .arg(p + 1));
            for (int f = 0; f < b.fieldCount(); ++f) {
                const FieldDescription& fd = b.fields[f];
                out.key(QLatin1StringView(fd.fileKey).toString(), fieldFileValue(fd, rec.value[f]));
            }
            out.endSection();
        }
    }
}

void writeAlarm(Lines& out, const AlarmSetup& alarm) {
    out.header(QStringLiteral("AlarmPattern_"));
    for (int m = 0; m < int(alarm.size()); ++m)
        out.key(QStringLiteral("Motor%1").arg(m + 1), alarm[m]);
    out.endSection();
}

void writeParameters(Lines& out, const ParameterSet& set) {
    out.header(QStringLiteral("Parameter_"));
    for (const SystemParamDescription& p : systemParamDescriptions())
        out.key(QLatin1StringView(p.fileKey).toString(), set.param(p.id) + p.fileOffset);
    out.endSection();
}

} // namespace

QByteArray settingsFileBytes(const ParameterSet& set) {
    Lines out;
    writeMotorNames(out, set.motorNames);
    writeSwitchTimes(out, set.switchTimes);
    for (BlockId id : kFileBlockOrder)
        writeBlock(out, set, id);
    writeAlarm(out, set.alarmSetup);
    writeParameters(out, set);
    writeBlock(out, set, BlockId::KeyPress);
    return out.bytes();
}

SaveResult saveSettingsFile(const QString& path, const ParameterSet& set) {
    SaveResult result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.errorText = file.errorString();
        return result;
    }
    const QByteArray bytes = settingsFileBytes(set);
    if (file.write(bytes) != bytes.size()) {
        result.errorText = file.errorString();
        file.cancelWriting();
        return result;
    }
    if (!file.commit()) {
        result.errorText = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace korvane
