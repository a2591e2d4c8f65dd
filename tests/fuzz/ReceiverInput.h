#pragma once

// The first byte of a receiver fuzz input: which long operation runs and
// which model the controller claims. Shared by the target and the seed
// corpus writer.

#include "SimModel.h"

#include <cstdint>

namespace korvane::fuzz {

enum class FuzzActivity : uint8_t { Idle, ReadAll, SendAll, LogbookRead, LogbookExport };
inline constexpr int kFuzzActivityCount = 5;

struct ReceiverSetup {
    FuzzActivity activity = FuzzActivity::Idle;
    SimModel::Variant model = SimModel::Variant::Conservatory;

    static ReceiverSetup fromByte(uint8_t b) {
        return {FuzzActivity((b & 7) % kFuzzActivityCount), SimModel::Variant((b >> 3) & 3)};
    }
    uint8_t toByte() const { return uint8_t(int(activity) | int(model) << 3); }
    // The two bytes that open an input: this setup and the receive event size.
    QByteArray header(uint8_t chunkByte) const {
        return QByteArray(1, char(toByte())) + char(chunkByte);
    }
};

inline QString modelText(SimModel::Variant variant) {
    return SimModel(variant).text();
}

} // namespace korvane::fuzz
