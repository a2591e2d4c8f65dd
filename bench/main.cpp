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
    for (const auto& entry : entries) {
        if (!filter.isEmpty() && !QString::fromLatin1(entry.name).contains(filter))
            continue;
        out << "== " << entry.name << '\n';
        out.flush();
        entry.run(out);
        out.flush();
    }
    return 0;
}
