// Controller bytes through the session's frame receiver, its dispatcher and
// every reply handler behind it (poll replies, parameter transfer, logbook
// transfer), while the session is idle, reading all, sending all, reading the
// logbook or exporting it.
//
// Input: byte 0 picks the activity (bits 0-2) and the model (bits 3-4),
// byte 1 the size of the receive events (1 to 64 bytes); the rest arrives
// from the controller, closed by an end marker so that no half frame outlives
// the input. Then the line goes silent and every transfer must come to its
// end.
//
// One rig serves every input, as the program's session serves one port after
// another: each input starts with a port change, a fresh parameter set and
// the controller introducing itself.

#include "ReceiverInput.h"

#include <QCoreApplication>
#include <QDir>

using namespace korvane;

namespace {

struct Rig {
    FakeLink link;
    ControllerSession session{&link};
    ParameterSet params;
    ParameterTransfer transfer{session, params};
    LogbookTransfer logbook{session, [](int motor) { return MotorNames::defaultName(motor - 1); }};
    const QString exportPath = QDir::temp().filePath(
        QStringLiteral("korvane-fuzz-%1.vlf").arg(QCoreApplication::applicationPid()));

    Rig() {
        // Polls are driven by hand; silence ends a transfer at the next event round.
        session.setTimerIntervals(1 << 30, 1 << 30, 1 << 30);
        transfer.setTimeouts(0, 0, 0);
        logbook.setSilenceTimeout(0);
    }

    bool busy() const { return session.activity() != Activity::Idle || logbook.isBusy(); }

    bool start(const fuzz::ReceiverSetup& setup) {
        session.changePort(QStringLiteral("fuzz"));
        static const ParameterSet fresh;
        params = fresh;
        return fuzz::startActivity(setup, link, session, transfer, logbook, exportPath);
    }

    // A read-all asks again twice and a logbook export once before giving up;
    // each silence is one round of events.
    void waitForSilenceToEndTransfers() {
        for (int round = 0; round < 8 && busy(); ++round)
            QCoreApplication::processEvents();
        FUZZ_CHECK(!busy());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    fuzz::initQt();
    static Rig rig;
    const fuzz::ReceiverSetup setup = fuzz::ReceiverSetup::fromByte(data[0]);
    const size_t chunk = data[1] % 64 + 1;

    FUZZ_CHECK(rig.start(setup));
    for (size_t at = 2; at < size; at += chunk) {
        rig.link.receive(QByteArray(reinterpret_cast<const char*>(data + at),
                                    qsizetype(std::min(chunk, size - at))));
        FUZZ_CHECK(rig.session.pendingBytes() <= FrameReceiver::kMaxFrameLength);
    }
    rig.link.receive("ende_");
    FUZZ_CHECK(rig.session.pendingBytes() == 0);
    rig.waitForSilenceToEndTransfers();

    // Every stored value comes from one reply that was checked as a whole, so
    // the tables at the end show any value that got past the checks.
    fuzz::checkInRange(rig.params);
    FUZZ_CHECK(rig.logbook.list().rows().size() == LogbookList::kRowCount);
    return 0;
}
