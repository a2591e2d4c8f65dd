#pragma once

// The first byte of a receiver fuzz input: which long operation runs and
// which model the controller claims, and how a session gets there. Shared by
// the target and the seed corpus writer.

#include "FakeLink.h"
#include "FuzzSupport.h"
#include "SimModel.h"

#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"
#include "text/Cp1252.h"

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
    // The two bytes that open an input: this setup and the receive event size.
    QByteArray header(uint8_t chunkByte) const {
        return QByteArray(1, char(int(activity) | int(model) << 3)) + char(chunkByte);
    }
};

// The controller introduces itself and its clock runs; then, with the record of
// written bytes cleared, the activity starts (an idle session sends nothing yet).
inline bool startActivity(const ReceiverSetup& setup, FakeLink& link, ControllerSession& session,
                          ParameterTransfer& transfer, LogbookTransfer& logbook,
                          const QString& exportPath) {
    link.reply("smo", toCp1252(SimModel(setup.model).text()));
    link.reply("sdt", "05.12.26");
    session.pollTick();
    FUZZ_CHECK(session.isConnected());
    link.written.clear();
    switch (setup.activity) {
    case FuzzActivity::Idle:
        return true;
    case FuzzActivity::ReadAll:
        return transfer.startReadAll();
    case FuzzActivity::SendAll:
        return transfer.startSendAll();
    case FuzzActivity::LogbookRead:
        return logbook.startRead(true);
    case FuzzActivity::LogbookExport:
        return logbook.startExport(exportPath);
    }
    return false;
}

} // namespace korvane::fuzz
