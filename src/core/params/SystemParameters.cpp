#include "params/SystemParameters.h"

#include "params/ParameterSet.h"

namespace korvane {
namespace {

QString randomSpanItem(int index) {
    return QStringLiteral("± %1 min").arg(index + 2);
}
QString hysteresisItem(int index) {
    return QString::number(index + 2);
}
QString offsetItem(int index) {
    const int offset = index - 5;
    if (offset < 0)
        return QStringLiteral("- %1 °C").arg(-offset);
    if (offset > 0)
        return QStringLiteral("+ %1 °C").arg(offset);
    return QStringLiteral("0 °C");
}
QString profileItem(int index) {
    return index == 0 ? QStringLiteral("Standard") : QStringLiteral("Alternativ");
}

using P = SystemParam;

// clang-format off
// id                    editor                    items def  item text       reply  write   +wire  sending text                     tx  error text                      file key                  +file
const SystemParamDescription kParams[kSystemParamCount] = {
    {P::RandomSpan,        "ZufallsZeitspanne",      253, 28, randomSpanItem, "szz", " rzz",  2, u"Tx Zufalls-Zeitspanne",       10, u"Fehler Zufalls-Zeitspanne",    "Zufalls-Zeitspanne",     2},
    {P::ShadingHysteresis, "BeschattungsHysterese",   49,  8, hysteresisItem, "sbh", " rbh",  2, u"Tx Beschattungs-Hysterese",   10, u"Fehler Beschattungs-Hysterese", "Beschattungs-Hysterese", 2},
    {P::OutsideOffset,     "OffsetAussentemperatur",  11,  5, offsetItem,     "soa", " roa", 95, u"Tx Offset Außentemperatur",   12, u"Fehler Offset Außentemp.",     "Offset_AT",             -5},
    {P::InsideOffset,      "OffsetInnentemperatur",   11,  5, offsetItem,     "soi", " roi", 95, u"Tx Offset Innentemp.",         8, u"Fehler Offset Innentemp.",     "Offset_IT",             -5},
    {P::StoredProfile,     "AktivesProfil",            2,  0, profileItem,    "ssp", " rsp",  0, u"Tx Profil",                    8, u"Fehler Profil",                "Aktives_Profil",         1},
};
// clang-format on

} // namespace

std::span<const SystemParamDescription> systemParamDescriptions() {
    return kParams;
}

const SystemParamDescription& systemParamDescription(SystemParam id) {
    return kParams[int(id)];
}

const SystemParamDescription* systemParamForReplyCode(QByteArrayView code) {
    for (const auto& p : kParams) {
        if (code == QByteArrayView(p.replyCode))
            return &p;
    }
    return nullptr;
}

ReplyOutcome applySystemParamReply(ParameterSet& set, SystemParam id, const ReplyValues& values) {
    const SystemParamDescription& d = systemParamDescription(id);
    ReplyOutcome out;
    const qint64 index = qint64(values[0]) - d.wireOffset;
    if (index < 0 || index >= d.itemCount) {
        out.errorText = d.errorText.toString();
        return out;
    }
    set.param(id) = qint32(index);
    if (id == SystemParam::StoredProfile)
        set.activeProfile = qint32(index);
    out.stored = true;
    return out;
}

BlockSendResult encodeSystemParamStep(const ParameterSet& set, SystemParam id) {
    const SystemParamDescription& d = systemParamDescription(id);
    const QByteArray value = QByteArray::number(set.param(id) + d.wireOffset);
    BlockSendResult result;
    result.writes.append(QByteArray(d.writeCommand) + value + '\r' + value + '\r');
    result.txAmount = d.txAmount;
    return result;
}

} // namespace korvane
