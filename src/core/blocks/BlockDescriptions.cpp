// The eleven per-motor blocks, described side by side. Every job on them
// (reply, write, send step, list rows, settings file, Changed policy, profile
// copy, editor visibility) reads these descriptions; what really differs
// between blocks is hooked in as a named function from BlockRules.
#include "blocks/BlockDescription.h"
#include "blocks/BlockRules.h"
#include "blocks/ItemTexts.h"

namespace korvane {
namespace {

using namespace items;
using W = WireConv;
using F = FileConv;
constexpr ItemFont Txt = ItemFont::Plain;
constexpr ItemFont Sym = ItemFont::Arrows;

// clang-format off
// name         editor             items def  item text     font  wire         +wire  file key           file             +file  caption (the editor's label)
const FieldDescription kShading[] = {
    {"Ein_Aus",    "BA_EIN_AUS",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"Temperatur", "BA_Temperatur",  46,  32,  number<-10>,  Txt,  W::Offset,   90,   "Temperatur",      F::Number,      -10, u"ab T/°C"},
    {"von",        "BA_von",         18,   5,  hour<5>,      Txt,  W::Offset,    5,   "Von",             F::Number,        5, u"von"},
    {"bis",        "BA_Bis",         18,  15,  hour<5>,      Txt,  W::Offset,    5,   "Bis",             F::Number,        5, u"bis"},
    {"Lux",        "BA_Lux",        156, 144,  number<100>,  Txt,  W::Offset,  100,   "Helligkeit",      F::Number,      100, u"Grenz- Lux-Wert"},
    {"Dauer",      "BA_Dauer",      190,   9,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        1, u"Aktivie- rungszeit"},
};
const FieldDescription kTwilightMorning[] = {
    {"Ein_Aus",    "DM_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"von",        "DM_von",          8,   5,  hour<3>,      Txt,  W::Offset,    3,   "Von",             F::Number,        3, u"Dämmerungsautomatik ist morgens aktiviert ab"},
    {"Lux",        "DM_Lux",        250, 109,  number<1>,    Txt,  W::Offset,    1,   "Helligkeit",      F::Number,        1, u"Grenz- Lux-Wert"},
    {"Dauer",      "DM_Dauer",      191,  39,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        1, u"Aktivie- rungszeit"},
};
const FieldDescription kTwilightEvening[] = {
    {"Ein_Aus",    "DA_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"von",        "DA_von",         10,   5,  hour<14>,     Txt,  W::Offset,   14,   "Von",             F::Number,       14, u"Dämmerungsautomatik ist abends aktiviert ab"},
    {"Lux",        "DA_Lux",        250, 109,  number<1>,    Txt,  W::Offset,    1,   "Helligkeit",      F::Number,        1, u"Grenz- Lux-Wert"},
    {"Dauer",      "DA_Dauer",      191,  39,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        1, u"Aktivie- rungszeit"},
};
const FieldDescription kWind[] = {
    {"Ein_Aus",    "EW_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"kmh",        "EW_kmh",         19,   5,  windSpeed,    Txt,  W::WindSpeed, 0,   "Geschwindigkeit", F::WindSpeed,     0, u"Bei Wingeschwindigkeit größer        km/h"},
};
const FieldDescription kRain[] = {
    {"Ein_Aus",    "ER_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"Richtung",   "ER_Richtung",     2,   0,  arrow,        Sym,  W::Flag,      0,   "Richtung",        F::AufAb,         0, u"Bei Regen fährt der Antrieb in Richtung"},
};
const FieldDescription kReversing[] = {
    {"Ein_Aus",    "RA_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"Auf",        "RA_Auf",         41,   4,  tenths,       Txt,  W::Offset,    0,   "Bei_Auf",         F::Number,        0, u"Rücklauf nach einer Aufwärtsbewegung               s"},
    {"Ab",         "RA_Ab",          41,   6,  tenths,       Txt,  W::Offset,    0,   "Bei_Ab",          F::Number,        0, u"Rücklauf nach einer Abwärtsbewegung                s"},
};
const FieldDescription kKeyPress[] = {
    {"Ein_Aus",    "Tast_Ein_Aus",    2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"Dauer",      "Tast_Dauer",    190,  39,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        0, u"Aktivierungszeit bei Auslösung des Bedientasters"},
};
const FieldDescription kProportional[] = {
    {"Ein_Aus",    "PT_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"von",        "PT_von",         24,  10,  hour<0>,      Txt,  W::Offset,    0,   "Von",             F::Number,        0, u"von"},
    {"bis",        "PT_bis",         24,  22,  hour<0>,      Txt,  W::Offset,    0,   "Bis",             F::Number,        0, u"bis"},
    {"Soll_Temp",  "PT_Soll_Temp",   50,  22,  degree<1>,    Txt,  W::Offset,  101,   "SollTemperatur",  F::Number,        1, u"Soll- Temperatur"},
    {"Richtung",   "PT_Richtung",     2,   0,  arrow,        Sym,  W::Flag,      0,   "Richtung",        F::AufAb,         0, u"Aktivier.- Richtung"},
    {"Bereich",    "PT_Bereich",      9,   2,  degree<1>,    Txt,  W::Offset,    1,   "Regelbereich",    F::Number,        1, u"Regel- Bereich"},
    {"Stellzeit",  "PT_Stellzeit",  190,  39,  runTime,      Txt,  W::Offset,    1,   "MaxStellzeit",    F::Number,        1, u"Max. Stellzeit"},
    {"Schritte",   "PT_Schritte",     8,   4,  number<2>,    Txt,  W::Offset,    2,   "Schritte",        F::Number,        2, u"Anzahl Schritte"},
};
const FieldDescription kInsideTemp[] = {
    {"Ein_Aus",    "IT_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"gr_kl",      "IT_gr_kl",        2,   0,  comparisonT,  Txt,  W::Flag,      0,   "Gr_KL",           F::GrKl,          0, u"größer kleiner"},
    {"Schwelle_1", "IT_Schwelle_1",  60,  31,  degree<-9>,   Txt,  W::Offset,   91,   "Schwelle1",       F::Number,       -9, u"Temperatur- Schwelle 1"},
    {"Auf_Ab",     "IT_Auf_Ab",       2,   0,  arrow,        Sym,  W::Flag,      0,   "Richtung",        F::AufAb,         0, u"Auf Ab"},
    {"Schwelle_2", "IT_Schwelle_2",  60,  29,  degree<-9>,   Txt,  W::Offset,   91,   "Schwelle2",       F::Number,       -9, u"Temperatur- Schwelle 2"},
    {"Stellzeit",  "IT_Stellzeit",  191,  39,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        1, u"Stellzeit"},
    {"von",        "IT_von",         24,   8,  hour<0>,      Txt,  W::Offset,    0,   "Von",             F::Number,        0, u"von"},
    {"bis",        "IT_bis",         24,  21,  hour<0>,      Txt,  W::Offset,    0,   "Bis",             F::Number,        0, u"bis"},
};
const FieldDescription kHumidity[] = {
    {"Ein_Aus",    "RelF_Ein_Aus",    2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"gr_kl",      "RelF_gr_kl",      2,   0,  comparisonF,  Txt,  W::Flag,      0,   "Gr_KL",           F::GrKl,          0, u"größer kleiner"},
    {"Schwelle_1", "RelF_Schwelle_1",99,  75,  percent,      Txt,  W::Offset,    1,   "Schwelle1",       F::Number,        1, u"Feuchte- Schwelle 1"},
    {"Schwelle_2", "RelF_Schwelle_2",99,  65,  percent,      Txt,  W::Offset,    1,   "Schwelle2",       F::Number,        1, u"Feuchte- Schwelle 2"},
    {"Stellzeit",  "RelF_Stellzeit",191,  39,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        1, u"Stellzeit"},
    {"von",        "RelF_von",       24,   8,  hour<0>,      Txt,  W::Offset,    0,   "Von",             F::Number,        0, u"von"},
    {"bis",        "RelF_bis",       24,  21,  hour<0>,      Txt,  W::Offset,    0,   "Bis",             F::Number,        0, u"bis"},
};
const FieldDescription kOutsideTemp[] = {
    {"Ein_Aus",    "AT_Ein_Aus",      2,   1,  onOff,        Txt,  W::Flag,      0,   "EinAus",          F::EinAus,        0, u"EIN / AUS"},
    {"Schwelle_1", "AT_Schwelle_1",  60,  11,  degree<-9>,   Txt,  W::Offset,   91,   "Schwelle1",       F::Number,       -9, u"Temperatur- Schwelle 1"},
    {"Auf_Ab",     "AT_Auf_Ab",       3,   1,  reaction,     Sym,  W::Reaction,  0,   "Richtung",        F::AufAbDeaktiv,  0, u"Auf, Ab, deaktiv"},
    {"Schwelle_2", "AT_Schwelle_2",  60,  14,  degree<-9>,   Txt,  W::Offset,   91,   "Schwelle2",       F::Number,       -9, u"Temperatur- Schwelle 2"},
    {"Stellzeit",  "AT_Stellzeit",  191,  39,  runTime,      Txt,  W::Offset,    1,   "Dauer",           F::Number,        1, u"Stellzeit"},
};

using G = ChangedGroup;
using B = BlockId;

// id                 record         prefix  reply  write     reading text                         error text                 sending text                            tx  file section                        Changed     copy   fields            row after on/off  row tail                   editor rule              extra hiding              linked block
const BlockDescription kBlocks[kBlockCount] = {
    {B::Shading,         "BA_Record",   "BA",   "sbp", " rbp",   u"Beschattungsparameter",           u"Fehler Beschatt.",       u"Tx Beschattungsparameter",          30, "Beschattung",                      G::Common,   true,  kShading,         "",       rules::shadingRow,         rules::shadingWindowRule, nullptr,                  false, B::Shading, 0, nullptr},
    {B::TwilightMorning, "DM_Record",   "DM",   "sdm", " rdm",   u"Dämmerungssteuerung Morgen",      u"Fehler DämmMorgen",      u"Tx Dämmerungssteuerung Morgen",     23, "DaemmerungMorgen",                 G::Common,   true,  kTwilightMorning, "",       rules::twilightMorningRow, nullptr,                  nullptr,                  false, B::Shading, 0, nullptr},
    {B::TwilightEvening, "DA_Record",   "DA",   "sda", " rda",   u"Dämmerungssteuerung Abend",       u"Fehler DämmAbend",       u"Tx Dämmerungssteuerung Abend",      23, "DaemmerungAbend",                  G::Common,   true,  kTwilightEvening, "",       rules::twilightEveningRow, nullptr,                  nullptr,                  false, B::Shading, 0, nullptr},
    {B::Wind,            "EW_Record",   "EW",   "swp", " rwp",   u"Einfahren bei Wind",              u"Fehler Wind",            u"Tx Wind-Parameter",                 18, "Wind",                             G::Common,   true,  kWind,            "    ",   rules::windRow,            nullptr,                  nullptr,                  true,  B::Rain, ER_Record::Richtung, "EW_Richtung"},
    {B::Rain,            "ER_Record",   "ER",   "srp", " rrp",   u"Einfahren bei Regen",             u"Fehler Regen",           u"Tx Regen-Parameter",                15, "Regen",                            G::Common,   true,  kRain,            "      ", rules::rainRow,            nullptr,                  nullptr,                  false, B::Shading, 0, nullptr},
    {B::Reversing,       "RA_Record",   "RA",   "sjp", " rjp",   u"Reversier-Automatik",             u"Fehler Reversier",       u"Tx Jalousie-Parameter",             19, "Reversierung",                     G::Reversing, true, kReversing,       "      ", rules::reversingRow,       nullptr,                  nullptr,                  false, B::Shading, 0, nullptr},
    {B::KeyPress,        "Tast_Record", "Tast", "sta", " rta ",  u"Tast-Automatik",                  u"Fehler Tast-Automatik",  u"Tx Tast-Automatik-Parameter",       12, "TastAutomatik",                    G::KeyPress, false, kKeyPress,        "      ", rules::keyPressRow,        nullptr,                  nullptr,                  false, B::Shading, 0, nullptr},
    {B::Proportional,    "PT_Record",   "PT",   "spp", " rpp",   u"Proportionale Temp.-Steuerung",   u"Fehler Prop.T.-Strg",    u"Tx Proportionale Temperatur-Strg.", 37, "ProportionaleTemperatursteuerung", G::Common,   true,  kProportional,    "",       rules::proportionalRow,    rules::proportionalRule,  nullptr,                  false, B::Shading, 0, nullptr},
    {B::InsideTemp,      "IT_Record",   "IT",   "sip", " rip",   u"Innentemperatur-Steuerung",       u"Fehler InnenTemp.-Strg", u"Tx Innentemperatur-Strg.",          28, "InnenTemperatursteuerung",         G::Common,   true,  kInsideTemp,      "",       rules::insideTempRow,      rules::insideTempRule,    nullptr,                  false, B::Shading, 0, nullptr},
    {B::Humidity,        "RelF_Record", "RelF", "sfp", " rfp",   u"Luftfeuchtigkeits-Steuerung",     u"Fehler Feuchte-Strg",    u"Tx Luftfeuchtigkeit",               20, "FeuchtigkeitsSteuerung",           G::Humidity, false, kHumidity,        "",       rules::humidityRow,        rules::humidityRule,      nullptr,                  false, B::Shading, 0, nullptr},
    {B::OutsideTemp,     "AT_Record",   "AT",   "sap", " rap",   u"Außentemperatur-Steuerung",       u"Fehler AußenTemp.-Strg", u"Tx Außentemperatur-Strg.",          28, "AussenTemperatursteuerung",        G::Common,   true,  kOutsideTemp,     "",       rules::outsideTempRow,     rules::outsideTempRule,   rules::outsideTempHidden, false, B::Shading, 0, nullptr},
};
// clang-format on

static_assert(int(BlockId::OutsideTemp) + 1 == kBlockCount);

} // namespace

std::span<const BlockDescription> blockDescriptions() {
    return kBlocks;
}

const BlockDescription& blockDescription(BlockId id) {
    return kBlocks[int(id)];
}

} // namespace korvane
