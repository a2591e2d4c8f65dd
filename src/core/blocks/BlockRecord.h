#pragma once

#include <QtGlobal>
#include <array>

namespace korvane {

inline constexpr int kProfileCount = 2; // 0 "Standard", 1 "Alternativ"
inline constexpr int kMotorCount = 8;   // table index 0..7 = motor 1..8
inline constexpr int kMaxBlockFields = 8;

// The eleven per-motor automatic blocks, in the order of their descriptions.
enum class BlockId {
    Shading,         // BA_Record
    TwilightMorning, // DM_Record
    TwilightEvening, // DA_Record
    Wind,            // EW_Record
    Rain,            // ER_Record
    Reversing,       // RA_Record
    KeyPress,        // Tast_Record
    Proportional,    // PT_Record
    InsideTemp,      // IT_Record
    Humidity,        // RelF_Record
    OutsideTemp,     // AT_Record
};
inline constexpr int kBlockCount = 11;

// One record of a per-motor block: the item indices of the block's editor
// drop-downs, in field order, plus the flag that marks it for the next
// send-all. Unused trailing fields stay 0.
struct BlockRecord {
    std::array<qint32, kMaxBlockFields> value{};
    bool changed = true;

    friend bool operator==(const BlockRecord&, const BlockRecord&) = default;
};

// [profile][motor]
using BlockTable = std::array<std::array<BlockRecord, kMotorCount>, kProfileCount>;

// Field indices of each record, named as the controller's tables name them.
namespace BA_Record {
enum Field : int { Ein_Aus, Temperatur, von, bis, Lux, Dauer };
}
namespace DM_Record {
enum Field : int { Ein_Aus, von, Lux, Dauer };
}
namespace DA_Record {
enum Field : int { Ein_Aus, von, Lux, Dauer };
}
namespace EW_Record {
enum Field : int { Ein_Aus, kmh };
}
namespace ER_Record {
enum Field : int { Ein_Aus, Richtung };
}
namespace RA_Record {
enum Field : int { Ein_Aus, Auf, Ab };
}
namespace Tast_Record {
enum Field : int { Ein_Aus, Dauer };
}
namespace PT_Record {
enum Field : int { Ein_Aus, von, bis, Soll_Temp, Richtung, Bereich, Stellzeit, Schritte };
}
namespace IT_Record {
enum Field : int { Ein_Aus, gr_kl, Schwelle_1, Auf_Ab, Schwelle_2, Stellzeit, von, bis };
}
namespace RelF_Record {
enum Field : int { Ein_Aus, gr_kl, Schwelle_1, Schwelle_2, Stellzeit, von, bis };
}
namespace AT_Record {
enum Field : int { Ein_Aus, Schwelle_1, Auf_Ab, Schwelle_2, Stellzeit };
}

// Item index of the on/off field (field 0 of every block).
inline constexpr int kOn = 0;
inline constexpr int kOff = 1;

} // namespace korvane
