// The editors of the eleven per-motor blocks, described side by side: their
// captions, labels, hints, list headings and read-only indicators.
#include "BlockEditorLayout.h"

#include "blocks/BlockRules.h"

namespace korvane {
namespace {

using P = EditorPart;
constexpr P field(int index) {
    return {P::Field, index};
}
constexpr P indicator(int index) {
    return {P::Indicator, index};
}

// The caption of the shading and proportional editors has one blank less.
const QString kCaptionShort =
    QStringLiteral("Motor- bzw. Raumname                                          EIN / AUS");
const QString kCaption =
    QStringLiteral("Motor- bzw. Raumname                                           EIN / AUS");
const QString kArrowHint = QStringLiteral("In diese Richtung fährt der Antrieb bei Wind und Regen");
const QString kThreshold1Hint =
    QStringLiteral("Auslösung bei Über- bzw. Unterschreiten der Schwelle 1");
const QString kRunTimeHint =
    QStringLiteral("Laufzeit des Antriebs: 1 ... 99s bzw. Dauerbetrieb (z.B. für Ventilatoren)");
const QString kMotorRunHint = QStringLiteral("Laufzeit des Motors bei Aktivierung");
const QString kSecondThresholdHint = QStringLiteral("Zweite Temperaturschwelle");
const QString kClimateHeading =
    QStringLiteral("Motor / Raum      Ein/Aus     von      -       bis         Schwelle 1"
                   "        Schwelle 2    Stellzeit");

QString up(const BlockRecord&) {
    return QStringLiteral("é");
}
QString oppositeArrow(int direction) {
    return direction == 0 ? QStringLiteral("ê") : QStringLiteral("é");
}
QString insideComparison2(const BlockRecord& r) {
    return r.value[IT_Record::gr_kl] == 0 ? QStringLiteral("T<") : QStringLiteral("T>");
}
QString insideDirection2(const BlockRecord& r) {
    return oppositeArrow(r.value[IT_Record::Auf_Ab]);
}
QString humidityComparison2(const BlockRecord& r) {
    return r.value[RelF_Record::gr_kl] == 0 ? QStringLiteral("F<") : QStringLiteral("F>");
}
QString humidityDirection2(const BlockRecord& r) {
    // Down, or no direction at all.
    return rules::humidityThreshold2Moves(r) ? QStringLiteral("ê") : QStringLiteral("–");
}
QString outsideComparison1(const BlockRecord&) {
    return QStringLiteral("T<");
}
QString outsideComparison2(const BlockRecord&) {
    return QStringLiteral("T>");
}
QString outsideDirection2(const BlockRecord& r) {
    // Hidden in the deactivated view; up as after entering the page.
    return r.value[AT_Record::Auf_Ab] == 0 ? QStringLiteral("ê") : QStringLiteral("é");
}

QList<BlockEditorLayout> makeLayouts() {
    using B = BlockId;
    namespace BA = BA_Record;
    namespace DM = DM_Record;
    namespace EW = EW_Record;
    namespace ER = ER_Record;
    namespace RA = RA_Record;
    namespace TA = Tast_Record;
    namespace PT = PT_Record;
    namespace IT = IT_Record;
    namespace RF = RelF_Record;
    namespace AT = AT_Record;
    QList<BlockEditorLayout> s;
    s.append({B::Shading,
              nullptr,
              kCaptionShort,
              "BA_Ueberschrift",
              QStringLiteral("Motor / Raum    Ein/Aus    T/°C        von      -       bis      "
                             "bei Lux     Aktivierungszeit"),
              {{},
               QStringLiteral("Beschattung nur, wenn diese Temperatur erreicht ist"),
               {},
               {},
               QStringLiteral("Bei dieser Helligkeit wird beschattet"),
               QStringLiteral("Laufzeit des Antriebes bei Beschattung")},
              {{"BA_Label1", {}, {field(BA::Temperatur)}},
               {"BA_Label2",
                QStringLiteral("Beschattung ist aktiv im Zeitraum von - bis"),
                {field(BA::von), field(BA::bis)}},
               {"BA_Label3", {}, {field(BA::Lux)}},
               {"BA_Label4", {}, {field(BA::Dauer)}}},
              {},
              nullptr,
              {},
              true});
    // Morning and evening differ in names, hours and texts only.
    struct TwilightNames {
        const char* caption;
        const char* heading;
        const char* labels[3];
    };
    const auto twilight = [](B id, const TwilightNames& n, const QString& luxHint,
                             const QString& heading) {
        return BlockEditorLayout{id,
                                 n.caption,
                                 kCaption,
                                 n.heading,
                                 heading,
                                 {{}, {}, luxHint, kMotorRunHint},
                                 {{n.labels[0], {}, {field(DM::von)}},
                                  {n.labels[1], {}, {field(DM::Lux)}},
                                  {n.labels[2], {}, {field(DM::Dauer)}}},
                                 {},
                                 nullptr,
                                 {},
                                 false};
    };
    s.append(twilight(B::TwilightMorning,
                      {"DM_Label0", "DM_Ueberschrift", {"DM_Label1", "DM_Label2", "DM_Label3"}},
                      QStringLiteral("Bei dieser Helligkeit wird der Rollladen geöffnet"),
                      QStringLiteral("Motor / Raum      Ein/Aus          ab        bei Lux     "
                                     "Aktivierungszeit")));
    s.append(twilight(B::TwilightEvening,
                      {"DA_Label0", "DA_Ueberschrift", {"DA_Label1", "DA_Label2", "DA_Label3"}},
                      QStringLiteral("Bei dieser Helligkeit wird der Rollladen geschlossen"),
                      QStringLiteral("Motor / Raum     Ein/Aus          ab        bei Lux     "
                                     "Aktivierungszeit")));
    s.append({B::Wind,
              "EW_Label0",
              kCaption,
              "EW_Ueberschrift",
              QStringLiteral("Motor / Raum        Ein/Aus     bei v >        in Richtung"),
              {{}, {}, kArrowHint},
              {{"EW_Label1", {}, {field(EW::kmh)}},
               {"EW_Label2", QStringLiteral("Bei Wind fährt der Antrieb in Richtung"), {field(2)}}},
              {},
              "EW_Label3",
              QStringLiteral("(Festlegung der Richtung gilt auch für \"Einfahren bei Regen\""),
              false});
    s.append({B::Rain,
              "ER_Label0",
              kCaption,
              "ER_Ueberschrift",
              QStringLiteral("Motor / Raum        Ein/Aus     in Richtung"),
              {{}, kArrowHint},
              {{"ER_Label1", {}, {field(ER::Richtung)}}},
              {},
              "ER_Label2",
              QStringLiteral("(Festlegung der Richtung gilt auch für Menü \"Einfahren bei Wind\""),
              false});
    s.append({B::Reversing,
              "RA_Label0",
              kCaption,
              "RA_Ueberschrift",
              QStringLiteral("Motor / Raum        Ein/Aus     Rückl. nach Auf     Rückl. nach Ab"),
              {{},
               QStringLiteral("Lamellen-Rücklaufzeit nach AUF"),
               QStringLiteral("Lamellen-Rücklaufzeit nach AB")},
              {{"RA_Label1", {}, {field(RA::Auf)}}, {"RA_Label2", {}, {field(RA::Ab)}}},
              {},
              nullptr,
              {},
              false});
    s.append({B::KeyPress,
              nullptr,
              kCaption,
              "Tast_Label2",
              QStringLiteral("Motor / Raum        Ein/Aus     Aktivierungszeit"),
              {{}, kMotorRunHint},
              {{"Tast_Label1", {}, {field(TA::Dauer)}}},
              {},
              nullptr,
              {},
              false});
    s.append(
        {B::Proportional,
         nullptr,
         kCaptionShort,
         "PT_Ueberschrift",
         QStringLiteral("Motor / Raum      Ein/Aus     von      -       bis       Temp.éêBereich  "
                        "Stellzeit  Schritte"),
         {{},
          {},
          {},
          QStringLiteral("Beim Überschreiten dieser Innen-Temperatur wird die Proportionale "
                         "Temperatursteuerung aktiviert"),
          QStringLiteral("Laufrichtung, beim Überschreiten der Soll-Temperatur"),
          QStringLiteral("Temperaturdifferenz Soll-Ist bei max. Öffnung"),
          QStringLiteral("Laufzeit des Antriebs von der Null-Lage bis zur max. Öffnung"),
          QStringLiteral("Anzahl Öffnungspositionen")},
         {{"PT_Label_1", QStringLiteral("aktiviert von - bis"), {field(PT::von), field(PT::bis)}},
          {"PT_Label_2", {}, {field(PT::Soll_Temp)}},
          {"PT_Label_3", {}, {field(PT::Richtung)}},
          {"PT_Label_4", {}, {field(PT::Bereich)}},
          {"PT_Label_5", {}, {field(PT::Stellzeit)}},
          {"PT_Label_6", {}, {field(PT::Schritte)}}},
         {},
         nullptr,
         {},
         true});
    s.append(
        {B::InsideTemp,
         nullptr,
         kCaption,
         "IT_Ueberschrift",
         kClimateHeading,
         {{},
          kThreshold1Hint,
          QStringLiteral("Grenz-Temperatur, deren Über- bzw. Unterschreiten zur Auslösung "
                         "führt"),
          QStringLiteral("Aktivierungsrichtung, wenn Temperaturschwelle 1 über- bzw. "
                         "unterschritten wird"),
          kSecondThresholdHint,
          kRunTimeHint,
          {},
          {}},
         {{"IT_Label_1", QStringLiteral("aktiviert von - bis"), {field(IT::von), field(IT::bis)}},
          {"IT_Label_2", {}, {field(IT::gr_kl)}},
          {"IT_Label_3", {}, {field(IT::Schwelle_1)}},
          {"IT_Label_4", {}, {field(IT::Auf_Ab)}},
          {"IT_Label_5", {}, {indicator(0), field(IT::Schwelle_2), indicator(1)}},
          {"IT_Label_6", {}, {field(IT::Stellzeit)}}},
         {{"IT_kl_gr", insideComparison2, IT::Schwelle_2, {}},
          {"IT_Ab_Auf", insideDirection2, IT::Schwelle_2, {}}},
         nullptr,
         {},
         true});
    s.append(
        {B::Humidity,
         nullptr,
         kCaption,
         "RelF_Label_7",
         kClimateHeading,
         {{},
          kThreshold1Hint,
          QStringLiteral("Grenz-Feuchte, deren Über- bzw. Unterschreiten zur Auslösung führt"),
          QStringLiteral("Zweite Schwelle der rel. Luftfeuchtigkeit"),
          kRunTimeHint,
          {},
          {}},
         {{"RelF_Label_1", QStringLiteral("aktiviert von - bis"), {field(RF::von), field(RF::bis)}},
          {"RelF_Label_2", {}, {field(RF::gr_kl)}},
          {"RelF_Label_3", {}, {field(RF::Schwelle_1)}},
          {"RelF_Label_4", QStringLiteral("Auf Ab"), {indicator(0)}},
          {"RelF_Label_5", {}, {indicator(1), field(RF::Schwelle_2), indicator(2)}},
          {"RelF_Label_6", {}, {field(RF::Stellzeit)}}},
         {{"RelF_Auf_Ab", up, RF::Schwelle_1, {}},
          {"RelF_kl_gr", humidityComparison2, RF::Schwelle_2, {}},
          {"RelF_Ab_Auf", humidityDirection2, RF::Schwelle_2, {}}},
         nullptr,
         {},
         true});
    s.append({B::OutsideTemp,
              "AT_Ab_Auf1",
              kCaption,
              "AT_Ueberschrift",
              QStringLiteral("Motor / Raum      Ein/Aus     Schwelle 1        Schwelle 2    "
                             "Stellzeit"),
              {{},
               QStringLiteral("Grenz-Temperatur, deren Unterschreiten zur Auslösung führt"),
               QStringLiteral("Festlegung der Aktivierungsrichtung bzw. Deaktivierung des "
                              "Antriebs beim Unterschreiten der Temperaturschwelle 1"),
               kSecondThresholdHint,
               kRunTimeHint},
              {{"AT_Label_1", {}, {indicator(0), field(AT::Schwelle_1)}},
               {"AT_Label_2", {}, {field(AT::Auf_Ab)}},
               {"AT_Label_3", {}, {indicator(1), field(AT::Schwelle_2), indicator(2)}},
               {"AT_Label_4", {}, {field(AT::Stellzeit)}}},
              {{"AT_gr_kl", outsideComparison1, AT::Schwelle_1, kThreshold1Hint},
               {"AT_kl_gr", outsideComparison2, AT::Schwelle_2, {}},
               {"AT_Ab_Auf", outsideDirection2, AT::Schwelle_2, {}}},
              nullptr,
              {},
              true});
    return s;
}

} // namespace

const BlockEditorLayout& blockEditorLayout(BlockId id) {
    static const QList<BlockEditorLayout> layouts = makeLayouts();
    Q_ASSERT(layouts.size() == kBlockCount && layouts[int(id)].block == id);
    return layouts[int(id)];
}

} // namespace korvane
