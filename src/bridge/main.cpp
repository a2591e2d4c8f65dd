#include "Bridge.h"
#include "BridgeConfig.h"
#include "BridgeLog.h"
#include "StopSignals.h"

#include "serial/PortLink.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace korvane;
using namespace korvane::bridge;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const ConfigLoad load = loadBridgeConfig(app.arguments());
    if (load.help) {
        out << bridgeUsage();
        return 0;
    }
    for (const QString& w : load.warnings)
        err << "korvane-bridge: warning: " << w << '\n';
    for (const QString& e : load.errors)
        err << "korvane-bridge: " << e << '\n';
    if (!load.config) {
        err << "korvane-bridge: see --help\n";
        return 1;
    }
    const BridgeConfig& config = *load.config;
    QString iniWarning;
    const QString device = resolveBridgeDevice(config.port, config.korvaneIni, &iniWarning);
    if (!iniWarning.isEmpty())
        err << "korvane-bridge: warning: " << iniWarning << '\n';
    if (load.checkOnly) {
        out << describeConfig(config) << "device = " << device << '\n';
        return 0;
    }
    err.flush();

    PortLink link;
    Bridge bridge(config, link);
    StopSignals stopSignals;
    int exitCode = 0;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&](const QString& name) {
        bridge.stop(name);
        app.exit(0);
    });
    QObject::connect(&bridge, &Bridge::fatal, &app, [&](const QString& reason) {
        bridge.stop(QStringLiteral("login refused: ") + reason);
        exitCode = 2;
        app.exit(2);
    });
    if (const QString error = bridge.start(device); !error.isEmpty()) {
        err << "korvane-bridge: " << error << '\n';
        return 1;
    }
    const int rc = app.exec();
    return exitCode != 0 ? exitCode : rc;
}
