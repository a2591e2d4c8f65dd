#pragma once

#include <QString>
#include <QTextStream>
#include <functional>
#include <vector>

// Benchmarks register themselves with a static KORVANE_BENCH object; the
// bench program runs all of them (or those whose name contains argv[1]) and
// prints their figures.
namespace bench {

struct Entry {
    const char* name;
    std::function<void(QTextStream& out)> run;
};

inline std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}

struct Registration {
    Registration(const char* name, std::function<void(QTextStream&)> run) {
        registry().push_back({name, std::move(run)});
    }
};

} // namespace bench

#define KORVANE_BENCH_CONCAT2(a, b) a##b
#define KORVANE_BENCH_CONCAT(a, b) KORVANE_BENCH_CONCAT2(a, b)
#define KORVANE_BENCH(name, fn)                                                                    \
    static const bench::Registration KORVANE_BENCH_CONCAT(benchRegistration, __LINE__)(name, fn)
