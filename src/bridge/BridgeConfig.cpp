#include "BridgeConfig.h"

#include "files/ProgramSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

namespace korvane::bridge {
namespace {

const QRegularExpression kComPort(QStringLiteral("^(?:COM\\s*)?([1-8])$"),
                                  QRegularExpression::CaseInsensitiveOption);

QString setText(QString BridgeConfig::*field, BridgeConfig& c, const QString& v) {
    c.*field = v.trimmed();
    return {};
}

ConfigKey textKey(const char* name, const char* valueName, const char* help,
                  QString BridgeConfig::*field) {
    return {QString::fromLatin1(name), QString::fromLatin1(valueName), QString::fromLatin1(help),
            [field](BridgeConfig& c, const QString& v) { return setText(field, c, v); },
            [field](const BridgeConfig& c) { return c.*field; }};
}

std::optional<bool> parseBool(const QString& v) {
    const QString t = v.trimmed().toLower();
    if (t.isEmpty() || t == QLatin1String("true") || t == QLatin1String("yes") ||
        t == QLatin1String("on") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("no") || t == QLatin1String("off") ||
        t == QLatin1String("0"))
        return false;
    return std::nullopt;
}

QString setBroker(BridgeConfig& c, const QString& v) {
    const QString t = v.trimmed();
    // HOST, HOST:PORT, [v6]:PORT
    static const QRegularExpression form(
        QStringLiteral("^(?:\\[([^\\]]+)\\]|([^:\\[\\]]+))(?::(\\d{1,5}))?$"));
    const auto m = form.match(t);
    if (!m.hasMatch())
        return QStringLiteral("broker: \"%1\" is no HOST or HOST:PORT").arg(t);
    c.brokerHost = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    c.brokerPort = BridgeConfig::kDefaultBrokerPort;
    if (m.hasCaptured(3)) {
        const int port = m.captured(3).toInt();
        if (port < 1 || port > 65535)
            return QStringLiteral("broker: port %1 is not 1 to 65535").arg(m.captured(3));
        c.brokerPort = port;
    }
    return {};
}

QString setTopicPart(QString BridgeConfig::*field, const char* what, bool emptyAllowed,
                     BridgeConfig& c, const QString& v) {
    const QString t = v.trimmed();
    if (t.isEmpty() && !emptyAllowed)
        return QStringLiteral("%1: must not be empty").arg(QLatin1String(what));
    if (t.contains(QLatin1Char('+')) || t.contains(QLatin1Char('#')) ||
        t.startsWith(QLatin1Char('/')) || t.endsWith(QLatin1Char('/')) ||
        t.contains(QLatin1String("//")) || t.contains(QChar(0)))
        return QStringLiteral("%1: \"%2\" is no topic (no +, #, empty levels or outer /)")
            .arg(QLatin1String(what), t);
    c.*field = t;
    return {};
}

QString hostText(const QHostAddress& a) {
    return a.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + a.toString() + u']'
                                                         : a.toString();
}

// PORT, :PORT, ADDRESS:PORT or [v6]:PORT; empty: no share.
QString setShare(BridgeConfig& c, const QString& v) {
    const QString t = v.trimmed();
    c.shareAddress = QHostAddress(QHostAddress::LocalHost);
    c.sharePort = 0;
    if (t.isEmpty())
        return {};
    static const QRegularExpression form(
        QStringLiteral("^(?:(?:\\[([^\\]]+)\\]|([^:\\[\\]]*)):)?(\\d{1,5})$"));
    const auto m = form.match(t);
    const int port = m.captured(3).toInt();
    const QString address = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    if (!m.hasMatch() || port < 1 || port > 65535)
        return QStringLiteral("share: \"%1\" is no [ADDRESS:]PORT (port 1 to 65535)").arg(t);
    if (!address.isEmpty()) {
        const QHostAddress a(address);
        if (a.isNull())
            return QStringLiteral("share: \"%1\" is no IP address").arg(address);
        c.shareAddress = a;
    }
    c.sharePort = quint16(port);
    return {};
}

// Addresses and CIDR ranges, comma-separated; empty: every address.
QString setAllow(BridgeConfig& c, const QString& v) {
    c.shareAllow.clear();
    for (const QString& part : v.split(u',', Qt::SkipEmptyParts)) {
        const QString t = part.trimmed();
        QPair<QHostAddress, int> subnet;
        if (t.contains(u'/')) {
            subnet = QHostAddress::parseSubnet(t);
        } else if (const QHostAddress a(t); !a.isNull()) {
            subnet = {a, a.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32};
        }
        if (subnet.first.isNull() || subnet.second < 0)
            return QStringLiteral("allow: \"%1\" is no address or CIDR range").arg(t);
        c.shareAllow.append(subnet);
    }
    return {};
}

const QList<ConfigKey> kKeys = {
    textKey("port", "PORT", "serial port: a device path (best /dev/serial/by-id/...) or COM1..COM8",
            &BridgeConfig::port),
    textKey("korvane-ini", "FILE", "the Korvane.ini that maps COM n to a device",
            &BridgeConfig::korvaneIni),
    {QStringLiteral("broker"), QStringLiteral("HOST[:PORT]"),
     QStringLiteral("MQTT broker (default localhost:1883)"), setBroker,
     [](const BridgeConfig& c) {
         const QString host = c.brokerHost.contains(QLatin1Char(':'))
                                  ? QLatin1Char('[') + c.brokerHost + QLatin1Char(']')
                                  : c.brokerHost;
         return host + QLatin1Char(':') + QString::number(c.brokerPort);
     }},
    {QStringLiteral("client-id"), QStringLiteral("ID"),
     QStringLiteral("MQTT client id (default korvane-bridge-<id>)"),
     [](BridgeConfig& c, const QString& v) { return setText(&BridgeConfig::clientId, c, v); },
     [](const BridgeConfig& c) { return c.effectiveClientId(); }},
    textKey("user", "NAME", "MQTT user name", &BridgeConfig::user),
    textKey("password-file", "FILE", "file holding the MQTT password (first line)",
            &BridgeConfig::passwordFile),
    textKey("ca-file", "FILE", "CA certificate file: connect with TLS", &BridgeConfig::caFile),
    {QStringLiteral("base"), QStringLiteral("TOPIC"),
     QStringLiteral("base topic (default korvane)"),
     [](BridgeConfig& c, const QString& v) {
         return setTopicPart(&BridgeConfig::base, "base", false, c, v);
     },
     [](const BridgeConfig& c) { return c.base; }},
    {QStringLiteral("id"), QStringLiteral("ID"),
     QStringLiteral("controller id in unique ids (default derived from the port)"),
     [](BridgeConfig& c, const QString& v) {
         static const QRegularExpression idForm(QStringLiteral("^[A-Za-z0-9_-]*$"));
         if (!idForm.match(v.trimmed()).hasMatch())
             return QStringLiteral("id: \"%1\" may hold only letters, digits, _ and -")
                 .arg(v.trimmed());
         c.id = v.trimmed();
         return QString();
     },
     [](const BridgeConfig& c) { return c.effectiveId(); }},
    {QStringLiteral("discovery-prefix"), QStringLiteral("P"),
     QStringLiteral("Home Assistant discovery prefix (default homeassistant, empty: none)"),
     [](BridgeConfig& c, const QString& v) {
         return setTopicPart(&BridgeConfig::discoveryPrefix, "discovery-prefix", true, c, v);
     },
     [](const BridgeConfig& c) { return c.discoveryPrefix; }},
    {QStringLiteral("commands"), QString(),
     QStringLiteral("accept motor commands (off by default)"),
     [](BridgeConfig& c, const QString& v) {
         const auto b = parseBool(v);
         if (!b)
             return QStringLiteral("commands: \"%1\" is no true or false").arg(v.trimmed());
         c.commands = *b;
         return QString();
     },
     [](const BridgeConfig& c) {
         return c.commands ? QStringLiteral("true") : QStringLiteral("false");
     }},
    {QStringLiteral("manual-hold"), QStringLiteral("S"),
     QStringLiteral("seconds of manual mode after the last command (10..600, default 60)"),
     [](BridgeConfig& c, const QString& v) {
         bool ok = false;
         const int s = v.trimmed().toInt(&ok);
         if (!ok || s < BridgeConfig::kMinHold || s > BridgeConfig::kMaxHold)
             return QStringLiteral("manual-hold: \"%1\" is not 10 to 600 seconds").arg(v.trimmed());
         c.manualHoldSeconds = s;
         return QString();
     },
     [](const BridgeConfig& c) { return QString::number(c.manualHoldSeconds); }},
    {QStringLiteral("db"), QStringLiteral("FILE"),
     QStringLiteral("record the live values into this history database (SQLite)"),
     [](BridgeConfig& c, const QString& v) {
         c.db = v.trimmed();
         return QString();
     },
     [](const BridgeConfig& c) { return c.db; }},
    {QStringLiteral("no-history"), QString(), QStringLiteral("record no history, even with db"),
     [](BridgeConfig& c, const QString& v) {
         const auto b = parseBool(v);
         if (!b)
             return QStringLiteral("no-history: \"%1\" is no true or false").arg(v.trimmed());
         c.noHistory = *b;
         return QString();
     },
     [](const BridgeConfig& c) {
         return c.noHistory ? QStringLiteral("true") : QStringLiteral("false");
     }},
    {QStringLiteral("share"), QStringLiteral("[ADDR:]PORT"),
     QStringLiteral("lend the serial line to one TCP client (default off; address 127.0.0.1)"),
     setShare,
     [](const BridgeConfig& c) {
         return c.sharePort == 0 ? QString()
                                 : hostText(c.shareAddress) + u':' + QString::number(c.sharePort);
     }},
    {QStringLiteral("allow"), QStringLiteral("LIST"),
     QStringLiteral("client addresses or CIDR ranges the share takes (default every one)"),
     setAllow,
     [](const BridgeConfig& c) {
         QStringList parts;
         for (const auto& [address, prefix] : c.shareAllow)
             parts << address.toString() + u'/' + QString::number(prefix);
         return parts.join(u',');
     }},
};

const ConfigKey* findKey(const QString& name) {
    for (const ConfigKey& k : kKeys)
        if (k.name == name)
            return &k;
    return nullptr;
}

// QSettings gives a value with commas as a list.
QString settingText(const QVariant& v) {
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(','))
                                                : v.toString();
}

} // namespace

const QList<ConfigKey>& configKeys() {
    return kKeys;
}

QString BridgeConfig::effectiveId() const {
    if (!id.isEmpty())
        return id;
    // "/dev/serial/by-id/usb-FTDI_FT232R-if00" -> "usb-ftdi_ft232r-if00", "COM3" -> "com3".
    QString name = QFileInfo(port.trimmed()).fileName().toLower();
    name.replace(QRegularExpression(QStringLiteral("[^a-z0-9_-]+")), QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("controller") : name;
}

ConfigLoad loadBridgeConfig(const QStringList& args, const QString& defaultPath) {
    ConfigLoad load;
    BridgeConfig c;
    // Flags in order, "--key value" or "--key=value"; --config first of all.
    struct Flag {
        QString name, value;
        bool hasValue;
    };
    QList<Flag> flags;
    QString configPath;
    bool configGiven = false;
    for (int i = 1; i < args.size(); ++i) {
        QString a = args.at(i);
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            load.help = true;
            return load;
        }
        if (a == QLatin1String("--check-config")) {
            load.checkOnly = true;
            continue;
        }
        if (!a.startsWith(QLatin1String("--"))) {
            load.errors << QStringLiteral("unexpected argument %1").arg(a);
            continue;
        }
        a = a.mid(2);
        QString value;
        bool hasValue = false;
        if (const qsizetype eq = a.indexOf(QLatin1Char('=')); eq >= 0) {
            value = a.mid(eq + 1);
            a = a.left(eq);
            hasValue = true;
        }
        const ConfigKey* key = findKey(a);
        if (a != QLatin1String("config") && !key) {
            load.errors << QStringLiteral("unknown option --%1").arg(a);
            continue;
        }
        const bool needsValue = a == QLatin1String("config") || !key->valueName.isEmpty();
        if (needsValue && !hasValue) {
            if (i + 1 >= args.size()) {
                load.errors << QStringLiteral("--%1 needs a value").arg(a);
                continue;
            }
            value = args.at(++i);
            hasValue = true;
        }
        if (a == QLatin1String("config")) {
            configPath = value;
            configGiven = true;
        } else {
            flags.append({a, value, hasValue});
        }
    }

    if (!configGiven && QFileInfo::exists(defaultPath))
        configPath = defaultPath;
    if (!configPath.isEmpty()) {
        QFile probe(configPath);
        if (!probe.open(QIODevice::ReadOnly)) {
            load.errors
                << QStringLiteral("cannot read %1: %2").arg(configPath, probe.errorString());
        } else {
            probe.close();
            c.configPath = configPath;
            QSettings ini(configPath, QSettings::IniFormat);
            if (ini.status() != QSettings::NoError)
                load.errors << QStringLiteral("%1: not a readable INI file").arg(configPath);
            for (const QString& name : ini.allKeys()) {
                const QString bare =
                    name.startsWith(QLatin1String("General/")) ? name.mid(8) : name;
                const ConfigKey* key = findKey(bare);
                if (!key) {
                    load.warnings
                        << QStringLiteral("%1: unknown key %2 ignored").arg(configPath, name);
                    continue;
                }
                if (const QString e = key->set(c, settingText(ini.value(name))); !e.isEmpty())
                    load.errors << configPath + QStringLiteral(": ") + e;
            }
        }
    }
    for (const Flag& f : flags) {
        if (const QString e = findKey(f.name)->set(c, f.value); !e.isEmpty())
            load.errors << e;
    }

    if (c.port.isEmpty())
        load.errors << QStringLiteral("port: no serial port given (--port or port= in the file)");
    if (c.brokerHost.isEmpty())
        load.errors << QStringLiteral("broker: no host given");
    if (!c.korvaneIni.isEmpty() && !QFileInfo(c.korvaneIni).isReadable())
        load.errors << QStringLiteral("korvane-ini: cannot read %1").arg(c.korvaneIni);
    if (!c.caFile.isEmpty() && !QFileInfo(c.caFile).isReadable())
        load.errors << QStringLiteral("ca-file: cannot read %1").arg(c.caFile);
    if (!c.passwordFile.isEmpty()) {
        QFile f(c.passwordFile);
        if (!f.open(QIODevice::ReadOnly)) {
            load.errors << QStringLiteral("password-file: cannot read %1: %2")
                               .arg(c.passwordFile, f.errorString());
        } else {
            const QByteArray first = f.readLine();
            c.password =
                QString::fromUtf8(first).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
            if (f.permissions() & QFileDevice::ReadOther)
                load.warnings << QStringLiteral("password-file: %1 is readable by every user "
                                                "(chmod 600 or 640 it)")
                                     .arg(c.passwordFile);
        }
        if (c.user.isEmpty())
            load.warnings << QStringLiteral("password-file is given but no user: the broker "
                                            "gets no login");
    }
    if (load.errors.isEmpty())
        load.config = c;
    return load;
}

QString describeConfig(const BridgeConfig& c) {
    QString text = QStringLiteral("config = %1\n")
                       .arg(c.configPath.isEmpty() ? QStringLiteral("(none)") : c.configPath);
    for (const ConfigKey& k : kKeys)
        text += k.name + QStringLiteral(" = ") + k.show(c) + QLatin1Char('\n');
    text +=
        QStringLiteral("password = %1\n")
            .arg(c.passwordFile.isEmpty() ? QStringLiteral("(none)") : QStringLiteral("********"));
    return text;
}

QString bridgeUsage() {
    QString text = QStringLiteral(
        "Usage: korvane-bridge [--config FILE] [options]\n"
        "Publishes a roller-shutter controller's live values to an MQTT broker, with\n"
        "Home Assistant discovery, and moves its motors on command (when allowed).\n\n"
        "Options (each also a key of the configuration file, without the dashes):\n"
        "  --config FILE            configuration file (default /etc/korvane/bridge.conf)\n"
        "  --check-config           print the effective settings and exit (0 valid, 1 not)\n");
    for (const ConfigKey& k : kKeys) {
        const QString flag = QStringLiteral("--") + k.name +
                             (k.valueName.isEmpty() ? QString() : QLatin1Char(' ') + k.valueName);
        text += QStringLiteral("  ") + flag.leftJustified(24) + QLatin1Char(' ') + k.help +
                QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\nExit codes: 0 stopped by SIGTERM or SIGINT, 1 configuration or usage error\n"
        "(a share that cannot listen included), 2 the broker refused the login. A serial\n"
        "port that cannot be opened is tried again every 5 s.\n");
    return text;
}

QString resolveBridgeDevice(const QString& port, const QString& iniPath, QString* warning) {
    const auto m = kComPort.match(port.trimmed());
    if (!m.hasMatch())
        return port;
    const ProgramSettings settings =
        iniPath.isEmpty() ? ProgramSettings() : ProgramSettings::load(iniPath, warning);
    return settings.deviceFor(m.captured(1).toInt());
}

} // namespace korvane::bridge
