#include "history/ThresholdLines.h"

#include "blocks/BlockDescription.h"
#include "params/ParameterSet.h"

namespace korvane {
namespace {

// The value an item index stands for, as the settings file writes it.
double fieldValue(const FieldDescription& field, int index) {
    if (field.file == FileConv::WindSpeed)
        return (index + 1) * 5.0;
    return index + field.fileOffset;
}

struct Source {
    BlockId block;
    int field;
    HistoryChart chart;
    const char16_t* label;
};

// clang-format off
const Source kSources[] = {
    {BlockId::Shading,         BA_Record::Lux,          HistoryChart::Brightness,  u"Beschattung"},
    {BlockId::TwilightMorning, DM_Record::Lux,          HistoryChart::Brightness,  u"D\u00E4mmerung morgens"},
    {BlockId::TwilightEvening, DA_Record::Lux,          HistoryChart::Brightness,  u"D\u00E4mmerung abends"},
    {BlockId::Wind,            EW_Record::kmh,          HistoryChart::Wind,        u"Wind"},
    {BlockId::InsideTemp,      IT_Record::Schwelle_1,   HistoryChart::Temperature, u"Innentemp. Schwelle 1"},
    {BlockId::InsideTemp,      IT_Record::Schwelle_2,   HistoryChart::Temperature, u"Innentemp. Schwelle 2"},
    {BlockId::Humidity,        RelF_Record::Schwelle_1, HistoryChart::Humidity,    u"Feuchte Schwelle 1"},
    {BlockId::Humidity,        RelF_Record::Schwelle_2, HistoryChart::Humidity,    u"Feuchte Schwelle 2"},
};
// clang-format on

} // namespace

QList<ThresholdLine> thresholdLines(const ParameterSet& set, int profile, int motor) {
    QList<ThresholdLine> lines;
    if (profile < 0 || profile >= kProfileCount || motor < 0 || motor >= kMotorCount)
        return lines;
    for (const Source& s : kSources) {
        const BlockRecord& rec = set.record(s.block, profile, motor);
        if (rec.value[0] != kOn)
            continue;
        const FieldDescription& field = blockDescription(s.block).fields[s.field];
        const double value = fieldValue(field, rec.value[s.field]);
        lines.append({s.chart,
                      QStringLiteral("%1 (%2)").arg(QString::fromUtf16(s.label)).arg(value),
                      value});
    }
    return lines;
}

} // namespace korvane
