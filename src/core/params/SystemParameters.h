#pragma once

#include "blocks/BlockCodec.h"

#include <QStringView>
#include <span>

namespace korvane {

struct ParameterSet;

// The single-valued system parameters; each is stored as the item index of
// its drop-down on the " Parameter" page.
enum class SystemParam {
    RandomSpan,        // ZufallsZeitspanne
    ShadingHysteresis, // BeschattungsHysterese
    OutsideOffset,     // OffsetAussentemperatur
    InsideOffset,      // OffsetInnentemperatur
    StoredProfile,     // AktivesProfil (the profile the controller works with)
};
inline constexpr int kSystemParamCount = 5;

struct SystemParamDescription {
    SystemParam id;
    const char* editor; // drop-down objectName
    int itemCount;      // valid indices 0 .. itemCount - 1
    int defaultIndex;
    QString (*itemText)(int index);
    const char* replyCode;    // "szz"
    const char* writeCommand; // " rzz"
    int wireOffset;           // wire = index + wireOffset
    QStringView sendingText;  // status panel 6 during its send-all step
    int txAmount;             // TxCount of its send-all step
    QStringView errorText;    // status panel 5 for a refused reply
    const char* fileKey;      // settings file key in "[Parameter_]"
    int fileOffset;           // file value = index + fileOffset
};

std::span<const SystemParamDescription> systemParamDescriptions();
const SystemParamDescription& systemParamDescription(SystemParam id);
const SystemParamDescription* systemParamForReplyCode(QByteArrayView code);

// Stores the first reply value (index = value - wireOffset). A value outside
// the item list is refused with the parameter's error text. An "ssp" reply
// sets the stored profile and ActiveProfile together.
ReplyOutcome applySystemParamReply(ParameterSet& set, SystemParam id, const ReplyValues& values);

// The send-all step of one parameter: the code, the value and CR, then the
// value again and CR. " rzz" writes the stored random-time span.
BlockSendResult encodeSystemParamStep(const ParameterSet& set, SystemParam id);

} // namespace korvane
