#include "BenchRegistry.h"

#include <QApplication>

#include <algorithm>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QString filter = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    // Start-up figures (time since process start, resident memory) mean
    // something only before the other measurements have run.
    auto& entries = bench::registry();
    std::stable_partition(entries.begin(), entries.end(), [](const bench::Entry& e) {
        return QString::fromLatin1(e.name).startsWith(QLatin1String("startup"));
    });
    QStringList failed;
    int ran = 0;
    for (const auto& entry : entries) {
        if (!filter.isEmpty() && !QString::fromLatin1(entry.name).contains(filter))
            continue;
        out << "== " << entry.name << '\n';
        out.flush();
        const qsizetype before = bench::failures().size();
        entry.run(out);
        ++ran;
        const QStringList what = bench::failures().mid(before);
        if (!what.isEmpty())
            failed << QStringLiteral("%1 (%2)").arg(QLatin1String(entry.name),
                                                    what.join(QStringLiteral("; ")));
        out.flush();
    }
    // The last line says whether every figure above is one of a successful run.
    if (ran == 0) {
        out << "FAILED: no benchmark matches \"" << filter << "\"\n";
        return 1;
    }
    if (!failed.isEmpty()) {
        out << "FAILED: " << failed.size() << " of " << ran
            << " benchmarks, do not read their figures: " << failed.join(QStringLiteral(", "))
            << '\n';
        return 1;
    }
    out << "ok: " << ran << " benchmarks ran without a failure\n";
    return 0;
}
