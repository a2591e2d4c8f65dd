#include "SimFaults.h"

#include <QRegularExpression>

namespace korvane {
namespace {

std::optional<SimCodeFault> codeFault(const QString& name) {
    static const QRegularExpression re(
        QStringLiteral("^(bad-check|drop|refuse|corrupt)=([a-z]{3})(?::([1-9][0-9]{0,5}))?$"));
    const QRegularExpressionMatch m = re.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    SimCodeFault f;
    const QString kind = m.captured(1);
    f.kind = kind == QLatin1String("drop")      ? SimCodeFault::Kind::Drop
             : kind == QLatin1String("refuse")  ? SimCodeFault::Kind::Refuse
             : kind == QLatin1String("corrupt") ? SimCodeFault::Kind::Corrupt
                                                : SimCodeFault::Kind::BadCheck;
    f.code = m.captured(2).toLatin1();
    f.occurrence = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    return f;
}

} // namespace

std::optional<SimFaults> SimFaults::fromName(const QString& name) {
    SimFaults f;
    static const QRegularExpression share(QStringLiteral("^bad-check-share=([0-9]{1,3})$"));
    static const QRegularExpression hangup(QStringLiteral("^hangup=([0-9]{1,9})$"));
    if (name == QLatin1String("bad-checksum")) {
        f.badChecksum = true;
    } else if (name == QLatin1String("junk")) {
        f.junk = true;
    } else if (name == QLatin1String("split")) {
        f.split = true;
    } else if (name == QLatin1String("silent")) {
        f.silent = true;
    } else if (const auto m = share.match(name); m.hasMatch()) {
        f.badCheckPercent = m.captured(1).toInt();
        if (f.badCheckPercent > 100)
            return std::nullopt;
    } else if (const auto m = hangup.match(name); m.hasMatch()) {
        f.hangupAfterBytes = m.captured(1).toLongLong();
    } else if (const auto c = codeFault(name)) {
        f.codeFaults.append(*c);
    } else {
        return std::nullopt;
    }
    return f;
}

void SimFaults::merge(const SimFaults& other) {
    badChecksum |= other.badChecksum;
    junk |= other.junk;
    split |= other.split;
    silent |= other.silent;
    badCheckPercent = qMax(badCheckPercent, other.badCheckPercent);
    codeFaults += other.codeFaults;
    if (other.hangupAfterBytes >= 0)
        hangupAfterBytes = other.hangupAfterBytes;
}

void SimFaultCounter::reset(const SimFaults& faults) {
    m_faults = faults;
    m_counts.clear();
    m_checkFrames = 0;
}

bool SimFaultCounter::strikes(SimCodeFault::Kind kind, QByteArrayView code) {
    const QByteArray key = QByteArray::number(int(kind)) + code.toByteArray();
    const int n = ++m_counts[key];
    for (const SimCodeFault& f : m_faults.codeFaults) {
        if (f.kind == kind && f.code == code && (f.occurrence == 0 || f.occurrence == n))
            return true;
    }
    return false;
}

bool SimFaultCounter::spoilsCheck(QByteArrayView code) {
    const bool aimed = strikes(SimCodeFault::Kind::BadCheck, code);
    const qint64 n = ++m_checkFrames;
    const int p = m_faults.badCheckPercent;
    // The share is spread evenly: frame n is hit when n * p / 100 steps up.
    const bool shared = n * p / 100 > (n - 1) * p / 100;
    return m_faults.badChecksum || aimed || shared;
}

} // namespace korvane
