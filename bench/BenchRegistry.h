#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

// Benchmarks register themselves with a static KORVANE_BENCH object; the
// bench program runs all of them (or those whose name contains argv[1]) and
// prints their figures. A benchmark whose run went wrong (a failed transfer,
// no connection, a simulator that did not start) calls fail(): its figures
// are not to be read, and the bench program names it on its last line and
// exits with 1.
namespace bench {

struct Entry {
    const char* name;
    std::function<void(QTextStream& out)> run;
};

inline std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}

// What went wrong in the benchmarks run so far, one text each.
inline QStringList& failures() {
    static QStringList texts;
    return texts;
}

// Marks the running benchmark as failed, with a line on `out`.
inline void fail(QTextStream& out, const QString& what) {
    out << "FAILED: " << what << '\n';
    failures().append(what);
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
