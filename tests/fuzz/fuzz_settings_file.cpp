// A settings file of any content. A refused file leaves the parameter set as
// it was; an accepted one keeps every value in range and comes back unchanged
// through the writer and the reader.

#include "FuzzSupport.h"

#include "files/SettingsFile.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ParameterSet set;
    // Something the file must not be able to leave half-overwritten.
    set.motorNames.setName(2, QStringLiteral("Wohnzimmer"));
    set.switchTimes.at(6, 7, 7).time = 600;
    applyChangedEvent(set, ChangedEvent::SendAllDone);
    const ParameterSet before = set;

    const LoadResult result = loadSettingsBytes(bytes, set);
    if (!result.ok()) {
        FUZZ_CHECK(set == before);
        return 0;
    }
    fuzz::checkInRange(set);
    const QByteArray written = settingsFileBytes(set);
    ParameterSet again = before;
    FUZZ_CHECK(loadSettingsBytes(written, again).ok());
    FUZZ_CHECK(again == set);
    FUZZ_CHECK(settingsFileBytes(again) == written);
    return 0;
}
