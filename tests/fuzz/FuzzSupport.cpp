#include "FuzzSupport.h"

#include "blocks/BlockDescription.h"

#include <QCoreApplication>

namespace korvane::fuzz {

void initQt() {
    static int argc = 1;
    static char name[] = "korvane-fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        return new QCoreApplication(argc, argv);
    }();
    Q_UNUSED(app);
}

void checkInRange(const ParameterSet& set) {
    for (const BlockDescription& block : blockDescriptions())
        for (const auto& profile : set.table(block.id))
            for (const BlockRecord& rec : profile)
                for (int f = 0; f < kMaxBlockFields; ++f)
                    FUZZ_CHECK(f < block.fieldCount() ? indexInRange(block.fields[f], rec.value[f])
                                                      : rec.value[f] == 0);
    for (const SystemParamDescription& p : systemParamDescriptions())
        FUZZ_CHECK(set.param(p.id) >= 0 && set.param(p.id) < p.itemCount);
    FUZZ_CHECK(set.activeProfile == 0 || set.activeProfile == 1);
    for (const SwitchTimeSlot& s : set.switchTimes.slots()) {
        FUZZ_CHECK(s.direction == kDirectionUp || s.direction == kDirectionDown);
        FUZZ_CHECK(s.time >= kNoTime && s.time <= kLastTime);
        FUZZ_CHECK(s.duration >= 0 && s.duration < kDurationItemCount);
        FUZZ_CHECK(s.function >= kFunctionFixed && s.function <= kFunctionRandom);
    }
}

} // namespace korvane::fuzz
