// Korvane.ini of any content: the port is always one of COM 1 to 8, every
// port maps to a device, and a rewrite keeps what was read.

#include "FuzzSupport.h"

#include "files/ProgramSettings.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString warning;
    const ProgramSettings settings = ProgramSettings::fromBytes(bytes, &warning);
    FUZZ_CHECK(settings.port() >= 1 && settings.port() <= ProgramSettings::kPortCount);

    const ProgramSettings reread = ProgramSettings::fromBytes(settings.toBytes());
    FUZZ_CHECK(reread.port() == settings.port());
    for (int port = 1; port <= ProgramSettings::kPortCount; ++port) {
        FUZZ_CHECK(!settings.deviceFor(port).isEmpty());
        FUZZ_CHECK(reread.deviceFor(port) == settings.deviceFor(port));
    }
    return 0;
}
