#include "blocks/BlockRules.h"

namespace korvane::rules {
namespace {

QString text(const BlockDescription& d, const BlockRecord& rec, int field) {
    return fieldItemText(d.fields[field], rec.value[field]);
}

// Right-aligns `s` in a field of `width` characters; longer texts stay whole.
QString padLeft(const QString& s, int width) {
    return QString(qMax(0, width - int(s.size())), u' ') + s;
}

QString upDown(bool up) {
    return up ? QStringLiteral("^") : QStringLiteral("v");
}

QString window(const BlockDescription& d, const BlockRecord& rec, int von, int bis) {
    if (rec.value[von] == rec.value[bis])
        return QStringLiteral("    ganztägig  ");
    return QStringLiteral("  ") + text(d, rec, von) + QStringLiteral(" - ") + text(d, rec, bis);
}

QString twilightRow(const BlockDescription& d, const BlockRecord& rec, const QString& lead) {
    return lead + text(d, rec, DM_Record::von) + QStringLiteral("   ") +
           text(d, rec, DM_Record::Lux) + QStringLiteral("      ") + text(d, rec, DM_Record::Dauer);
}

void keepWindowOrdered(BlockRecord& rec, int field, int von, int bis) {
    if (field == von && rec.value[von] > rec.value[bis])
        rec.value[bis] = rec.value[von];
    else if (field == bis && rec.value[bis] < rec.value[von])
        rec.value[von] = rec.value[bis];
}

// Threshold 2 lies below threshold 1 for "greater" (index 0) and above it for
// "less"; the edited threshold keeps its value unless it sits at an end of
// the range 0..maxIndex.
void keepThresholdsApart(BlockRecord& rec, int field, int cmp, int s1Field, int s2Field,
                         int maxIndex) {
    auto& s1 = rec.value[s1Field];
    auto& s2 = rec.value[s2Field];
    const bool greater = rec.value[cmp] == 0;
    if (field == cmp || field == s1Field) {
        if (greater) {
            if (s1 <= s2)
                s2 = s1 - 1;
            if (s1 == 0) {
                s1 = 1;
                s2 = 0;
            }
        } else {
            if (s1 >= s2)
                s2 = s1 + 1;
            if (s1 == maxIndex) {
                s1 = maxIndex - 1;
                s2 = maxIndex;
            }
        }
    } else if (field == s2Field) {
        if (greater) {
            if (s2 >= s1)
                s1 = s2 + 1;
            if (s2 == maxIndex) {
                s2 = maxIndex - 1;
                s1 = maxIndex;
            }
        } else {
            if (s2 <= s1)
                s1 = s2 - 1;
            if (s2 == 0) {
                s2 = 1;
                s1 = 0;
            }
        }
    }
}

} // namespace

QString shadingRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    using namespace BA_Record;
    return QStringLiteral(" ") + padLeft(text(d, rec, Temperatur), 3) + QStringLiteral("°C  ") +
           text(d, rec, von) + QStringLiteral(" - ") + text(d, rec, bis) + QStringLiteral("  ") +
           text(d, rec, Lux) + QStringLiteral("      ") + text(d, rec, Dauer);
}

QString twilightMorningRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    return twilightRow(d, rec, QStringLiteral("    "));
}

QString twilightEveningRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    return twilightRow(d, rec, QStringLiteral("   "));
}

QString windRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord& rain) {
    return text(d, rec, EW_Record::kmh) + QStringLiteral("km/h    ") +
           upDown(rain.value[ER_Record::Richtung] == 0);
}

QString rainRow(const BlockDescription&, const BlockRecord& rec, const BlockRecord&) {
    return upDown(rec.value[ER_Record::Richtung] == 0);
}

QString reversingRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    return text(d, rec, RA_Record::Auf) + QStringLiteral("s          ") +
           text(d, rec, RA_Record::Ab) + QStringLiteral("s");
}

QString keyPressRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    return text(d, rec, Tast_Record::Dauer);
}

QString proportionalRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    using namespace PT_Record;
    return QStringLiteral("  ") + text(d, rec, von) + QStringLiteral(" - ") + text(d, rec, bis) +
           QStringLiteral("  ") + padLeft(text(d, rec, Soll_Temp), 3) + QStringLiteral("C  ") +
           upDown(rec.value[Richtung] == 0) + QStringLiteral("  ") + text(d, rec, Bereich) +
           QStringLiteral("C  ") + padLeft(text(d, rec, Stellzeit), 5) + QStringLiteral("    ") +
           text(d, rec, Schritte);
}

QString insideTempRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    using namespace IT_Record;
    const bool greater = rec.value[gr_kl] == 0;
    const bool up = rec.value[Auf_Ab] == 0;
    return window(d, rec, von, bis) + QStringLiteral("  ") + text(d, rec, gr_kl) +
           text(d, rec, Schwelle_1) + QStringLiteral("C ") + upDown(up) + QStringLiteral("   T") +
           (greater ? u'<' : u'>') + text(d, rec, Schwelle_2) + QStringLiteral("C ") + upDown(!up) +
           padLeft(text(d, rec, Stellzeit), 6);
}

QString humidityRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    using namespace RelF_Record;
    const bool greater = rec.value[gr_kl] == 0;
    return window(d, rec, von, bis) + QStringLiteral("  ") + text(d, rec, gr_kl) +
           text(d, rec, Schwelle_1) + QStringLiteral(" ^    F") + (greater ? u'<' : u'>') +
           text(d, rec, Schwelle_2) +
           (humidityThreshold2Moves(rec) ? QStringLiteral(" v ") : QStringLiteral(" - ")) +
           padLeft(text(d, rec, Stellzeit), 6);
}

QString outsideTempRow(const BlockDescription& d, const BlockRecord& rec, const BlockRecord&) {
    using namespace AT_Record;
    const int reaction = rec.value[Auf_Ab];
    QString row = QStringLiteral("   T<") + text(d, rec, Schwelle_1) + QStringLiteral("C ");
    if (reaction == 2)
        return row + QStringLiteral("       deaktiv! ");
    row += reaction == 0 ? QStringLiteral("^ ") : QStringLiteral("v ");
    return row + QStringLiteral("  T>") + text(d, rec, Schwelle_2) + QStringLiteral("C ") +
           (reaction == 0 ? QStringLiteral("v  ") : QStringLiteral("^  ")) +
           text(d, rec, Stellzeit);
}

void shadingWindowRule(BlockRecord& rec, int field) {
    auto& von = rec.value[BA_Record::von];
    auto& bis = rec.value[BA_Record::bis];
    if (field == BA_Record::von) {
        if (von >= bis)
            bis = von + 1;
        if (von >= 16) {
            von = 16; // "21:00"
            bis = 17; // "22:00"
        }
    } else if (field == BA_Record::bis) {
        if (bis <= von)
            von = bis - 1;
        if (von < 0) {
            von = 0; // "05:00"
            bis = 1; // "06:00"
        }
    }
}

void proportionalRule(BlockRecord& rec, int field) {
    keepWindowOrdered(rec, field, PT_Record::von, PT_Record::bis);
}

void insideTempRule(BlockRecord& rec, int field) {
    using namespace IT_Record;
    keepWindowOrdered(rec, field, von, bis);
    keepThresholdsApart(rec, field, gr_kl, Schwelle_1, Schwelle_2, 59);
}

void humidityRule(BlockRecord& rec, int field) {
    using namespace RelF_Record;
    keepWindowOrdered(rec, field, von, bis);
    keepThresholdsApart(rec, field, gr_kl, Schwelle_1, Schwelle_2, 98);
}

void outsideTempRule(BlockRecord& rec, int field) {
    auto& s1 = rec.value[AT_Record::Schwelle_1];
    auto& s2 = rec.value[AT_Record::Schwelle_2];
    if (field == AT_Record::Schwelle_1 && s1 >= s2) {
        if (s1 == 59)
            s1 = 58;
        s2 = s1 + 1;
    } else if (field == AT_Record::Schwelle_2 && s2 <= s1) {
        if (s2 == 0)
            s2 = 1;
        s1 = s2 - 1;
    }
}

bool outsideDeactivatedView(const BlockRecord& rec) {
    return rec.value[AT_Record::Ein_Aus] == kOn && rec.value[AT_Record::Auf_Ab] == 2;
}

bool outsideTempHidden(const BlockRecord& rec, int field) {
    return (field == AT_Record::Schwelle_2 || field == AT_Record::Stellzeit) &&
           outsideDeactivatedView(rec);
}

bool humidityThreshold2Moves(const BlockRecord& rec) {
    return rec.value[RelF_Record::gr_kl] == 0 && rec.value[RelF_Record::Stellzeit] < 190;
}

} // namespace korvane::rules
