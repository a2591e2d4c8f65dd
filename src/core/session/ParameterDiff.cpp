#include "session/ParameterDiff.h"

#include "blocks/BlockDescription.h"
#include "params/SwitchTimeTexts.h"
#include "params/WeekPlan.h"
#include "session/ReadAllChecklist.h"
#include "session/TransferNames.h"
#include "text/Cp1252.h"
#include "text/SymbolText.h"

namespace korvane {
namespace {

const QString kSep = QStringLiteral(" \u00B7 ");

// An item text as the pages show it; an empty one (no time set) as "leer".
QString shown(const QString& item) {
    const QString text = symbolDisplayText(item).trimmed();
    return text.isEmpty() ? QStringLiteral("leer") : text;
}

// As the week plan names it; a code no page offers keeps its number.
QString groupText(qint32 group) {
    const QString text = groupCodeText(group);
    return text == QStringLiteral("-") && group != kGroupSingleDay ? QString::number(group) : text;
}

QString listItem(const QStringList& items, qint32 index) {
    return items.value(index, QString::number(index));
}

class Collector {
public:
    Collector(const ParameterSet& after, const ModelInfo& scope)
        : m_after(after), m_requests(ReadAllChecklist::requests(scope)),
          m_motors(qBound(0, scope.motorCount, kMotorCount)),
          m_slots(qBound(0, scope.slotsPerMotor, kSlotsPerMotor)) {}

    bool carries(const char* request) const { return m_requests.contains(QByteArray(request)); }
    int motors() const { return m_motors; }
    int slots() const { return m_slots; }

    QString motor(int motor) const {
        return QStringLiteral("Motor %1 (%2)")
            .arg(motor + 1)
            .arg(m_after.motorNames.name(motor).trimmed());
    }
    void add(const QString& where, const QString& caption, const QString& before,
             const QString& after) {
        if (before != after)
            m_lines << where + kSep + caption + QStringLiteral(": ") + before +
                           QStringLiteral(" \u2192 ") + after;
    }
    QStringList lines() const { return m_lines; }

private:
    const ParameterSet& m_after;
    QList<QByteArray> m_requests;
    int m_motors;
    int m_slots;
    QStringList m_lines;
};

void compareNames(const ParameterSet& a, const ParameterSet& b, Collector& c) {
    if (!c.carries("smn"))
        return;
    for (int m = 0; m < MotorNames::kCount; ++m)
        c.add(QStringLiteral("Motornamen"), QStringLiteral("Motor %1").arg(m + 1),
              a.motorNames.name(m), b.motorNames.name(m));
}

void compareSwitchTimes(const ParameterSet& a, const ParameterSet& b, Collector& c) {
    if (!c.carries("sfs"))
        return;
    const QStringList directions = directionItems();
    const QStringList functions = functionItems();
    for (int d = 0; d < kSwitchDays; ++d) {
        for (int m = 0; m < c.motors(); ++m) {
            for (int s = 0; s < c.slots(); ++s) {
                const SwitchTimeSlot& x = a.switchTimes.at(d, m, s);
                const SwitchTimeSlot& y = b.switchTimes.at(d, m, s);
                const QString where =
                    QStringList{QStringLiteral("Schaltzeiten"), dayAbbreviation(d), c.motor(m),
                                QStringLiteral("Nr. %1").arg(s + 1)}
                        .join(kSep);
                c.add(where, QStringLiteral("Richtung"), shown(listItem(directions, x.direction)),
                      shown(listItem(directions, y.direction)));
                c.add(where, QStringLiteral("Schaltzeit"), shown(timeText(x.time)),
                      shown(timeText(y.time)));
                c.add(where, QStringLiteral("Dauer"), shown(durationText(x.duration)),
                      shown(durationText(y.duration)));
                c.add(where, QStringLiteral("Gruppe"), groupText(x.group), groupText(y.group));
                c.add(where, QStringLiteral("Funktion"), shown(listItem(functions, x.function)),
                      shown(listItem(functions, y.function)));
            }
        }
    }
}

QString fieldText(const FieldDescription& field, qint32 index) {
    return indexInRange(field, index) ? shown(field.itemText(index)) : QString::number(index);
}

void compareBlocks(const ParameterSet& a, const ParameterSet& b, Collector& c) {
    for (const BlockDescription& block : blockDescriptions()) {
        if (!c.carries(block.replyCode))
            continue;
        for (int p = 0; p < kProfileCount; ++p) {
            for (int m = 0; m < c.motors(); ++m) {
                const BlockRecord& x = a.record(block.id, p, m);
                const BlockRecord& y = b.record(block.id, p, m);
                const QString where =
                    QStringList{blockTitle(block.id), c.motor(m),
                                systemParamDescription(SystemParam::StoredProfile).itemText(p)}
                        .join(kSep);
                for (int f = 0; f < block.fieldCount(); ++f) {
                    const FieldDescription& field = block.fields[f];
                    c.add(where, fieldCaption(field), fieldText(field, x.value[f]),
                          fieldText(field, y.value[f]));
                }
            }
        }
    }
}

void compareAlarm(const ParameterSet& a, const ParameterSet& b, Collector& c) {
    if (!c.carries("sas"))
        return;
    for (int m = 0; m < c.motors(); ++m)
        c.add(QStringLiteral("Alarm Setup"), c.motor(m), shown(alarmChoiceText(a.alarmSetup[m])),
              shown(alarmChoiceText(b.alarmSetup[m])));
}

void compareParams(const ParameterSet& a, const ParameterSet& b, Collector& c) {
    for (const SystemParamDescription& d : systemParamDescriptions()) {
        if (!c.carries(d.replyCode))
            continue;
        const auto text = [&](qint32 index) {
            return index >= 0 && index < d.itemCount ? d.itemText(index) : QString::number(index);
        };
        c.add(QStringLiteral("Parameter"), paramTitle(d.id), text(a.param(d.id)),
              text(b.param(d.id)));
    }
}

} // namespace

ModelInfo fullModel() {
    ModelInfo model;
    model.sensor = model.conservatory = model.keyAutomatic = true;
    model.motorCount = kMotorCount;
    model.slotsPerMotor = kSlotsPerMotor;
    return model;
}

ParameterSet asControllerKeeps(ParameterSet set) {
    for (int m = 0; m < MotorNames::kCount; ++m) {
        QString cell = fromCp1252(toCp1252(set.motorNames.cell(m)));
        while (cell.endsWith(u' '))
            cell.chop(1);
        set.motorNames.setName(m, cell);
    }
    return set;
}

QStringList parameterDifferences(const ParameterSet& before, const ParameterSet& after,
                                 const ModelInfo& scope) {
    Collector c(after, scope);
    compareNames(before, after, c);
    compareSwitchTimes(before, after, c);
    compareBlocks(before, after, c);
    compareAlarm(before, after, c);
    compareParams(before, after, c);
    return c.lines();
}

} // namespace korvane
