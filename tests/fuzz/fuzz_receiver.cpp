// Controller bytes through the session's frame receiver, its dispatcher and
// every reply handler behind it (poll replies, parameter transfer, logbook
// transfer), while the session is idle, reading all, sending all, reading the
// logbook or exporting it.
//
// Input: byte 0 picks the activity (bits 0-2) and the model (bits 3-4),
// byte 1 the size of the receive events (1 to 64 bytes); the rest arrives
// from the controller.

#include "FakeLink.h"
#include "FuzzSupport.h"
#include "ReceiverInput.h"

#include "logbook/LogbookTransfer.h"
#include "session/ControllerSession.h"
#include "session/ParameterTransfer.h"
#include "text/Cp1252.h"

#include <QCoreApplication>
#include <QDir>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::initQt();
    const fuzz::ReceiverSetup setup = fuzz::ReceiverSetup::fromByte(data[0]);
    const size_t chunk = data[1] % 64 + 1;

    FakeLink link;
    link.open(QStringLiteral("fuzz"));
    ControllerSession session(&link);
    ParameterSet params;
    ParameterTransfer transfer(session, params);
    LogbookTransfer logbook(session, [](int motor) { return MotorNames::defaultName(motor - 1); });

    // The controller has introduced itself and its clock runs.
    link.reply("smo", toCp1252(fuzz::modelText(setup.model)));
    link.reply("sdt", "05.12.26");
    session.pollTick();
    FUZZ_CHECK(session.isConnected());

    bool started = true;
    switch (setup.activity) {
    case fuzz::FuzzActivity::Idle:
        break;
    case fuzz::FuzzActivity::ReadAll:
        started = transfer.startReadAll();
        break;
    case fuzz::FuzzActivity::SendAll:
        started = transfer.startSendAll();
        break;
    case fuzz::FuzzActivity::LogbookRead:
        started = logbook.startRead(true);
        break;
    case fuzz::FuzzActivity::LogbookExport:
        started = logbook.startExport(QDir::temp().filePath(
            QStringLiteral("korvane-fuzz-%1.vlf").arg(QCoreApplication::applicationPid())));
        break;
    }
    FUZZ_CHECK(started);

    for (size_t at = 2; at < size; at += chunk) {
        link.receive(QByteArray(reinterpret_cast<const char*>(data + at),
                                qsizetype(std::min(chunk, size - at))));
        FUZZ_CHECK(session.pendingBytes() <= FrameReceiver::kMaxFrameLength);
    }
    // Every stored value comes from one reply that was checked as a whole, so
    // the tables at the end show any value that got past the checks.
    fuzz::checkInRange(params);
    FUZZ_CHECK(logbook.list().rows().size() == LogbookList::kRowCount);
    return 0;
}
