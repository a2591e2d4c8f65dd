#include "files/SettingsLayout.h"

#include "params/SwitchTimeTexts.h"

namespace korvane {
namespace {

// Order of the per-motor block sections; key-press comes last, after the
// alarm pattern and the parameters.
constexpr BlockId kFileBlockOrder[] = {
    BlockId::Shading,  BlockId::TwilightMorning, BlockId::TwilightEvening, BlockId::Wind,
    BlockId::Rain,     BlockId::Reversing,       BlockId::Proportional,    BlockId::InsideTemp,
    BlockId::Humidity, BlockId::OutsideTemp,
};

QStringList motorKeys() {
    QStringList keys;
    for (int m = 1; m <= MotorNames::kCount; ++m)
        keys << QStringLiteral("Motor%1").arg(m);
    return keys;
}

} // namespace

const SettingsLayout& SettingsLayout::instance() {
    static const SettingsLayout layout;
    return layout;
}

int SettingsLayout::addKey(const QString& key, KeyRead read) {
    for (int i = 0; i < int(keys.size()); ++i) {
        if (keys[i].key == key)
            return i;
    }
    keys.push_back({key, read});
    return int(keys.size()) - 1;
}

SettingsLayout::SettingsLayout() {
    const QStringList switchKeys{QStringLiteral("Richtung"), QStringLiteral("Stunde"),
                                 QStringLiteral("Minute"),   QStringLiteral("Dauer"),
                                 QStringLiteral("Gruppe"),   QStringLiteral("Funktion")};
    const KeyRead switchReads[StKeyCount] = {KeyRead::Richtung, KeyRead::Stunde, KeyRead::Minute,
                                             KeyRead::Number,   KeyRead::Gruppe, KeyRead::Funktion};
    for (int k = 0; k < StKeyCount; ++k)
        addKey(switchKeys[k], switchReads[k]);
    for (const BlockDescription& b : blockDescriptions()) {
        for (const FieldDescription& f : b.fields)
            fieldKeys[int(b.id)].push_back(
                addKey(QLatin1StringView(f.fileKey), keyReadFor(f.file)));
    }

    sections.push_back({SectionKind::MotorNames, QStringLiteral("Motor-Namen_"), motorKeys()});
    for (int d = 0; d < kSwitchDays; ++d) {
        for (int m = 0; m < kSwitchMotors; ++m) {
            for (int k = 0; k < kSlotsPerMotor; ++k) {
                SettingsSection s{SectionKind::SwitchTime,
                                  QStringLiteral("Schaltzeit_%1_Motor%2_Nr%3")
                                      .arg(dayAbbreviation(d))
                                      .arg(m + 1)
                                      .arg(k + 1),
                                  switchKeys};
                s.day = d;
                s.motor = m;
                s.slot = k;
                sections.push_back(s);
            }
        }
    }
    auto addBlock = [this](BlockId id) {
        const BlockDescription& b = blockDescription(id);
        QStringList fieldNames;
        for (const FieldDescription& f : b.fields)
            fieldNames << QLatin1StringView(f.fileKey);
        for (int p = 0; p < kProfileCount; ++p) {
            for (int m = 0; m < kMotorCount; ++m) {
                SettingsSection s{SectionKind::Block,
                                  QStringLiteral("%1_Motor%2_Profil%3")
                                      .arg(QLatin1StringView(b.fileSection))
                                      .arg(m + 1)
                                      .arg(p + 1),
                                  fieldNames};
                s.block = id;
                s.motor = m;
                s.profile = p;
                s.optional = id == BlockId::KeyPress;
                sections.push_back(s);
            }
        }
    };
    for (BlockId id : kFileBlockOrder)
        addBlock(id);
    sections.push_back({SectionKind::Alarm, QStringLiteral("AlarmPattern_"), motorKeys()});
    QStringList paramKeys;
    for (const SystemParamDescription& p : systemParamDescriptions())
        paramKeys << QLatin1StringView(p.fileKey);
    sections.push_back({SectionKind::Parameters, QStringLiteral("Parameter_"), paramKeys});
    addBlock(BlockId::KeyPress);

    for (int i = 0; i < int(sections.size()); ++i)
        m_sectionByHeader.insert(sections[i].header, i);
}

// ---- Conversions ------------------------------------------------------------

KeyRead keyReadFor(FileConv conv) {
    switch (conv) {
    case FileConv::EinAus:
        return KeyRead::EinAus;
    case FileConv::AufAb:
    case FileConv::AufAbDeaktiv:
        return KeyRead::Richtung;
    case FileConv::GrKl:
        return KeyRead::GrKl;
    case FileConv::Number:
    case FileConv::WindSpeed:
        break;
    }
    return KeyRead::Number;
}

QString fieldFileText(const FieldDescription& f, qint32 index) {
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

qint64 fieldIndexFromFile(const FieldDescription& f, qint64 remembered) {
    switch (f.file) {
    case FileConv::Number:
        return remembered - f.fileOffset;
    case FileConv::WindSpeed:
        return remembered / 5 - 1;
    case FileConv::EinAus:
    case FileConv::AufAb:
    case FileConv::AufAbDeaktiv:
    case FileConv::GrKl:
        break;
    }
    return remembered;
}

qint32 durationFileValue(qint32 i) {
    return i <= 99 ? i + 1 : 100 + 10 * (i - 100);
}

qint64 durationIndexFromFile(qint32 d) {
    return d <= 100 ? qint64(d) - 1 : 100 + (qint64(d) - 100) / 10;
}

QString functionFileText(qint32 code) {
    switch (code) {
    case kFunctionAstro:
        return QStringLiteral("Astro");
    case kFunctionRandom:
        return QStringLiteral("Zufall");
    default:
        return QStringLiteral("Normal");
    }
}

QStringList sectionValues(const ParameterSet& set, const SettingsSection& s) {
    QStringList values;
    switch (s.kind) {
    case SectionKind::MotorNames:
        return set.motorNames.toList();
    case SectionKind::SwitchTime: {
        const SwitchTimeSlot& slot = set.switchTimes.at(s.day, s.motor, s.slot);
        const bool noTime = slot.time == kNoTime;
        values << (slot.direction == kDirectionUp ? QStringLiteral("Auf") : QStringLiteral("Ab"))
               << (noTime ? QStringLiteral("--") : QString::number((slot.time - 1) / 60))
               << (noTime ? QStringLiteral("--") : QString::number((slot.time - 1) % 60))
               << QString::number(durationFileValue(slot.duration)) << QString::number(slot.group)
               << functionFileText(slot.function);
        break;
    }
    case SectionKind::Block: {
        const BlockDescription& b = blockDescription(s.block);
        const BlockRecord& rec = set.record(s.block, s.profile, s.motor);
        for (int f = 0; f < b.fieldCount(); ++f)
            values << fieldFileText(b.fields[f], rec.value[f]);
        break;
    }
    case SectionKind::Alarm:
        for (qint32 v : set.alarmSetup)
            values << QString::number(v);
        break;
    case SectionKind::Parameters:
        for (const SystemParamDescription& p : systemParamDescriptions())
            values << QString::number(set.param(p.id) + p.fileOffset);
        break;
    }
    return values;
}

} // namespace korvane
