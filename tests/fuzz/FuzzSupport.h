#pragma once

// Shared by the fuzz targets: a check that aborts in every build type, the
// value ranges that every table keeps whatever arrives, and the one
// application object that timers need.

#include "params/ParameterSet.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond) ((cond) ? void(0) : korvane::fuzz::fail(#cond, __FILE__, __LINE__))

namespace korvane::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

// Creates the application object on first use and silences Qt's messages
// (fatal ones still abort).
void initQt();

// Every stored value lies in the item list of its editor.
void checkInRange(const ParameterSet& set);

} // namespace korvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
