#include "session/TransferNames.h"

namespace korvane {

QString blockTitle(BlockId id) {
    switch (id) {
    case BlockId::Shading:
        return QStringLiteral("Beschattung");
    case BlockId::TwilightMorning:
        return QStringLiteral("D\u00E4mmerung Morgen");
    case BlockId::TwilightEvening:
        return QStringLiteral("D\u00E4mmerung Abend");
    case BlockId::Wind:
        return QStringLiteral("Wind");
    case BlockId::Rain:
        return QStringLiteral("Regen");
    case BlockId::Reversing:
        return QStringLiteral("Reversier-Automatik");
    case BlockId::KeyPress:
        return QStringLiteral("Tast-Automatik");
    case BlockId::Proportional:
        return QStringLiteral("Proportionale Temperatur-Strg.");
    case BlockId::InsideTemp:
        return QStringLiteral("Innentemperatur-Strg.");
    case BlockId::Humidity:
        return QStringLiteral("Luftfeuchtigkeits-Strg.");
    case BlockId::OutsideTemp:
        return QStringLiteral("Au\u00DFentemperatur-Strg.");
    }
    return QString();
}

QString paramTitle(SystemParam id) {
    switch (id) {
    case SystemParam::RandomSpan:
        return QStringLiteral("Zufalls-Zeitspanne");
    case SystemParam::ShadingHysteresis:
        return QStringLiteral("Beschattungs-Hysterese");
    case SystemParam::OutsideOffset:
        return QStringLiteral("Offset Au\u00DFentemperatur");
    case SystemParam::InsideOffset:
        return QStringLiteral("Offset Innentemperatur");
    case SystemParam::StoredProfile:
        return QStringLiteral("Profil");
    }
    return QString();
}

} // namespace korvane
