#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace korvane::bridge {

// Everything the bridge is configured with. One INI file (QSettings) gives
// the keys; a command-line flag of the same name overrides each of them.
struct BridgeConfig {
    static inline const QString kInstalledPath = QStringLiteral("/etc/korvane/bridge.conf");
    static constexpr int kDefaultBrokerPort = 1883;
    static constexpr int kMinHold = 10;
    static constexpr int kMaxHold = 600;

    QString configPath; // the file read; empty: none
    QString port;       // a device path, or COM n mapped by korvaneIni
    QString korvaneIni; // the Korvane.ini that maps COM n; empty: COM n is /dev/ttyS<n-1>
    QString brokerHost = QStringLiteral("localhost");
    int brokerPort = kDefaultBrokerPort;
    QString clientId; // empty: "korvane-bridge-<id>"
    QString user;
    QString passwordFile;
    QString caFile;
    QString base = QStringLiteral("korvane");
    QString id; // empty: derived from the port
    QString discoveryPrefix = QStringLiteral("homeassistant");
    bool commands = false;
    int manualHoldSeconds = 60;
    QString db;             // the history database; empty: nothing recorded
    bool noHistory = false; // record nothing even with db set
    // The line lent to one TCP client; port 0: no share.
    QHostAddress shareAddress = QHostAddress(QHostAddress::LocalHost);
    quint16 sharePort = 0;
    QList<QPair<QHostAddress, int>> shareAllow; // empty: every address

    QString password; // read from passwordFile

    QString effectiveId() const;
    QString effectiveClientId() const {
        return clientId.isEmpty() ? QStringLiteral("korvane-bridge-") + effectiveId() : clientId;
    }
};

// One configuration key: its INI name (also the flag, with "--"), whether the
// flag stands alone (a switch), its help text, how a text sets it (returns an
// error, empty when fine) and how it is shown.
struct ConfigKey {
    QString name;
    QString valueName; // empty: a switch
    QString help;
    std::function<QString(BridgeConfig&, const QString&)> set;
    std::function<QString(const BridgeConfig&)> show;
};
const QList<ConfigKey>& configKeys();

struct ConfigLoad {
    std::optional<BridgeConfig> config; // nullopt: errors says why
    QStringList errors;
    QStringList warnings;
    bool checkOnly = false; // --check-config
    bool help = false;
};

// Reads `--config FILE` (or `defaultPath` when it exists), then applies every
// flag of `args` (args[0] is the program), then checks the whole and reads
// the password file.
ConfigLoad loadBridgeConfig(const QStringList& args,
                            const QString& defaultPath = BridgeConfig::kInstalledPath);

// The effective settings, one "key = value" line each, the password masked.
QString describeConfig(const BridgeConfig& config);
QString bridgeUsage();

// The device that `port` names: COM n through the Korvane.ini at `iniPath`,
// anything else as it is. What that file held that was ignored goes to
// *warning.
QString resolveBridgeDevice(const QString& port, const QString& iniPath, QString* warning);

} // namespace korvane::bridge
