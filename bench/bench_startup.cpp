#include "BenchRegistry.h"

#include "DesktopProgram.h"
#include "MainWindow.h"
#include "serial/SerialLink.h"
#include "session/ControllerSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <unistd.h>

namespace {

// A line with nothing on the other end.
class SilentLink : public korvane::SerialLink {
public:
    using SerialLink::open;
    korvane::SerialError open(const QString& device) override {
        m_device = device;
        return {};
    }
    void close() override {}
    bool isOpen() const override { return true; }
    QString device() const override { return m_device; }
    using SerialLink::write;
    bool write(const QByteArray&, WritePriority) override { return true; }
    qint64 bytesToWrite() const override { return 0; }
    QByteArray readAll() override { return {}; }

private:
    QString m_device;
};

QString statusField(const char* key) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return QString::fromLatin1(line.mid(prefix.size()).trimmed());
    }
    return QStringLiteral("?");
}

// Milliseconds since this process started, from /proc (10 ms resolution).
double msSinceProcessStart() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray statText = stat.readAll();
    // Fields after the command name in parentheses; starttime is field 22.
    const QList<QByteArray> fields = statText.mid(statText.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble();
    const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
    return (upSeconds - startTicks / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}

void benchStartup(QTextStream& out) {
    const QString rssBefore = statusField("VmRSS");
    QTemporaryDir dir; // keep any Korvane.ini of the working directory untouched
    QElapsedTimer timer;
    timer.start();

    SilentLink link;
    korvane::DesktopProgram program(link, dir.filePath(QStringLiteral("Korvane.ini")));
    korvane::MainWindow& window = program.window();
    window.setMessagePresenter(
        [&out](const QString& text) { out << "  message: " << text << '\n'; });
    const qint64 constructedMs = timer.elapsed();
    window.show();
    while (!(window.windowHandle() && window.windowHandle()->isExposed() && window.isActivated()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    window.repaint();
    const qint64 shownMs = timer.elapsed();

    out << "  window constructed:          " << constructedMs << " ms\n";
    out << "  window shown and started up: " << shownMs << " ms (target < 500 ms)\n";
    out << "  since process start:         " << qRound(msSinceProcessStart())
        << " ms (meaningful when run alone: korvane-bench startup)\n";
    out << "  VmRSS before window:         " << rssBefore << '\n';
    out << "  VmRSS with window shown:     " << statusField("VmRSS") << " (target < 60 MB)\n";
}

} // namespace

KORVANE_BENCH("startup", benchStartup);
