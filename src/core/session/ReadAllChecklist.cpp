#include "session/ReadAllChecklist.h"

#include "blocks/BlockDescription.h"
#include "params/MotorNames.h"
#include "params/SwitchTimeTexts.h"
#include "session/TransferNames.h"

namespace korvane {
namespace {

// A request whose answer misses more records than this is named with a count.
constexpr int kNamedRecordsPerRequest = 3;
// The message names this many items and counts the rest.
constexpr int kNamedItems = 6;

QString requestTitle(const QByteArray& code) {
    if (code == "smn")
        return QStringLiteral("Motornamen");
    if (code == "sfs")
        return QStringLiteral("Schaltzeiten");
    if (code == "sas")
        return QStringLiteral("Alarm Setup");
    if (const BlockDescription* b = blockForReplyCode(code))
        return blockTitle(b->id);
    if (const SystemParamDescription* p = systemParamForReplyCode(code))
        return paramTitle(p->id);
    return QString::fromLatin1(code);
}

QString recordName(const QByteArray& code, int key) {
    if (code == "smn")
        return QStringLiteral("Motorname %1").arg(key);
    if (code == "sfs")
        return QStringLiteral("Schaltzeit %1 Motor %2 Nr. %3")
            .arg(dayAbbreviation(key / 100 - 1))
            .arg(key / 10 % 10)
            .arg(key % 10);
    if (code == "sas")
        return QStringLiteral("Alarm Setup Motor %1").arg(key);
    if (blockForReplyCode(code))
        return QStringLiteral("%1 Motor %2 Profil %3")
            .arg(requestTitle(code))
            .arg(key % 10)
            .arg(key / 10 + 1);
    return requestTitle(code);
}

QList<int> expectedKeys(const QByteArray& code, const ModelInfo& model) {
    const int motors = qBound(0, model.motorCount, MotorNames::kCount);
    const int slots = qBound(0, model.slotsPerMotor, 8);
    QList<int> keys;
    if (code == "smn") {
        for (int m = 1; m <= MotorNames::kCount; ++m)
            keys << m;
    } else if (code == "sfs") {
        for (int d = 1; d <= 7; ++d)
            for (int m = 1; m <= motors; ++m)
                for (int s = 1; s <= slots; ++s)
                    keys << ReadAllChecklist::slotKey(d, m, s);
    } else if (code == "sas") {
        for (int m = 1; m <= motors; ++m)
            keys << m;
    } else if (blockForReplyCode(code)) {
        for (int p = 0; p < 2; ++p)
            for (int m = 1; m <= motors; ++m)
                keys << ReadAllChecklist::recordKey(p, m);
    } else {
        keys << 0;
    }
    return keys;
}

} // namespace

QList<QByteArray> ReadAllChecklist::requests(const ModelInfo& model) {
    QList<QByteArray> out;
    if (model.hasOutdoorAutomatics())
        out << "sbp"
            << "sdm"
            << "sda"
            << "swp"
            << "srp"
            << "sjp"
            << "soa"
            << "sbh"
            << "sas";
    if (model.conservatory)
        out << "spp"
            << "sip"
            << "sfp"
            << "sap"
            << "ssp"
            << "soi";
    if (model.keyAutomatic)
        out << "sta";
    out << "smn"
        << "szz"
        << "sfs";
    return out;
}

void ReadAllChecklist::expect(const ModelInfo& model) {
    m_requests.clear();
    for (const QByteArray& code : requests(model))
        m_requests.append({code, expectedKeys(code, model), {}});
}

void ReadAllChecklist::arrived(const QByteArray& request, int key) {
    for (Request& r : m_requests) {
        if (r.code == request && r.expected.contains(key))
            r.arrived.insert(key);
    }
}

bool ReadAllChecklist::complete() const {
    return missingCount() == 0;
}

int ReadAllChecklist::missingCount() const {
    int n = 0;
    for (const Request& r : m_requests)
        n += int(r.expected.size() - r.arrived.size());
    return n;
}

QList<QByteArray> ReadAllChecklist::incompleteRequests() const {
    QList<QByteArray> out;
    for (const Request& r : m_requests) {
        if (r.arrived.size() < r.expected.size())
            out << r.code;
    }
    return out;
}

QStringList ReadAllChecklist::missingItems() const {
    QStringList items;
    for (const Request& r : m_requests) {
        const int missing = int(r.expected.size() - r.arrived.size());
        if (missing == 0)
            continue;
        if (r.arrived.isEmpty() || r.expected.size() == 1) {
            items << requestTitle(r.code);
        } else if (missing > kNamedRecordsPerRequest) {
            items
                << QStringLiteral("%1 (%2 Datens\u00E4tze)").arg(requestTitle(r.code)).arg(missing);
        } else {
            for (int key : r.expected) {
                if (!r.arrived.contains(key))
                    items << recordName(r.code, key);
            }
        }
    }
    return items;
}

QString ReadAllChecklist::incompleteMessage() const {
    QStringList items = missingItems();
    if (items.isEmpty())
        return QString();
    if (items.size() > kNamedItems) {
        const qsizetype more = items.size() - kNamedItems;
        items.resize(kNamedItems);
        items << QStringLiteral("%1 weitere").arg(more);
    }
    // One record, one single value or one whole per-motor block is singular.
    const bool plural = items.size() > 1 || items[0].endsWith(QLatin1Char(')')) ||
                        items[0] == requestTitle("smn") || items[0] == requestTitle("sfs");
    return QStringLiteral("Lesen unvollst\u00E4ndig: %1 %2")
        .arg(items.join(QStringLiteral(", ")),
             plural ? QStringLiteral("fehlen") : QStringLiteral("fehlt"));
}

} // namespace korvane
