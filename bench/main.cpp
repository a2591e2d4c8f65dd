#include "BenchRegistry.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QString filter = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    for (const auto& entry : bench::registry()) {
        if (!filter.isEmpty() && !QString::fromLatin1(entry.name).contains(filter))
            continue;
        out << "== " << entry.name << '\n';
        out.flush();
        entry.run(out);
        out.flush();
    }
    return 0;
}
