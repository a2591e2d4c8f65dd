// korvane-fuzz-seeds FOLDER: writes the seed corpus of every fuzz target into
// FOLDER/<target>/, made by the program's own code: what the simulated
// controller answers to what the session asks in each activity (for the
// receiver and the parsers), settings files from the writer, Korvane.ini
// files and logbook entries.

#include "FileBytes.h"
#include "ReceiverInput.h"

#include "SimController.h"
#include "files/ProgramSettings.h"
#include "files/SettingsFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

using namespace korvane;
using fuzz::FuzzActivity;

namespace {

// The controller's answers to everything the session writes in one activity.
QByteArray receiverSeed(fuzz::ReceiverSetup setup, const QString& exportPath) {
    FakeLink link;
    link.open(QStringLiteral("seed"));
    ControllerSession session(&link);
    ParameterSet params;
    ParameterTransfer transfer(session, params);
    LogbookTransfer logbook(session, {});
    SimController controller{SimModel(setup.model)};
    controller.logbook().seed(120);
    QByteArray answer;
    QObject::connect(&controller, &SimController::replyReady,
                     [&answer](const QByteArray& frame) { answer += frame; });
    fuzz::startActivity(setup, link, session, transfer, logbook, exportPath);
    if (setup.activity == FuzzActivity::Idle)
        session.pollTick();
    else if (setup.activity == FuzzActivity::SendAll) // every step acknowledged, the first refused
        answer = "start_stc1,ende_" + QByteArray("start_stc0,ende_").repeated(24);
    controller.feed(link.written);
    return answer;
}

// The fuzzer keeps its inputs to 1 KB, so a long answer also goes in as
// pieces that end on a frame boundary: every reply kind is in the corpus.
QList<QByteArray> piecesOf(const QByteArray& answer, qsizetype limit) {
    QList<QByteArray> pieces(1);
    for (qsizetype at = 0; at < answer.size();) {
        const qsizetype marker = answer.indexOf("ende_", at);
        const qsizetype end = marker < 0 ? answer.size() : marker + 5;
        if (!pieces.last().isEmpty() && pieces.last().size() + (end - at) > limit)
            pieces.append(QByteArray());
        pieces.last() += answer.sliced(at, end - at);
        at = end;
    }
    return pieces;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        qCritical("usage: korvane-fuzz-seeds FOLDER");
        return 1;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char* target :
         {"receiver", "parsers", "settings_file", "program_settings", "logbook"})
        root.mkpath(QLatin1String(target));
    bool ok = true;
    const auto seed = [&](const char* target, const QString& name, const QByteArray& bytes) {
        ok = test::writeBytes(root.filePath(QLatin1String(target) + QLatin1Char('/') + name),
                              bytes) &&
             ok;
    };

    QTemporaryDir tmp;
    for (int a = 0; a < fuzz::kFuzzActivityCount; ++a)
        for (auto model : {SimModel::Variant::Basic, SimModel::Variant::Conservatory}) {
            const fuzz::ReceiverSetup setup{FuzzActivity(a), model};
            const QByteArray header = setup.header(uint8_t(a * 13 + 7));
            const QString name = QStringLiteral("activity%1-model%2").arg(a).arg(int(model));
            const QByteArray answer = receiverSeed(setup, tmp.filePath(QStringLiteral("seed.vlf")));
            seed("receiver", name, header + answer);
            const QList<QByteArray> pieces = piecesOf(answer, 1000);
            if (pieces.size() > 1)
                for (qsizetype i = 0; i < pieces.size(); ++i)
                    seed("receiver", name + QStringLiteral("-part%1").arg(i), header + pieces[i]);
            // The parsers' inputs: the receive event sizes, then the line.
            for (qsizetype i = 0; i < pieces.size(); ++i)
                seed("parsers", name + QStringLiteral("-part%1").arg(i),
                     header.right(1) + pieces[i]);
        }
    // Junk, a stale end marker, a frame cut short by the next one, a value too large.
    seed("parsers", QStringLiteral("disorder"),
         "\x05xx ende_start_skd1,start_sfi3.12ende_start_sla2147483648,ende_start_");

    ParameterSet set;
    seed("settings_file", QStringLiteral("defaults"), settingsFileBytes(set));
    set.motorNames.setName(0, QStringLiteral("K\u00FCche \u20AC\u2013\u0178"));
    set.switchTimes.at(0, 0, 0) = {1, 421, 12, 5, 1, 1};
    editBlockField(set, BlockId::Shading, 1, 4, BA_Record::Lux, 7);
    set.activeProfile = 1;
    const QByteArray edited = settingsFileBytes(set);
    seed("settings_file", QStringLiteral("edited"), edited);
    seed("settings_file", QStringLiteral("truncated"), edited.left(edited.size() / 2));

    seed("program_settings", QStringLiteral("port"), "3\r\n");
    ProgramSettings ini;
    ini.setPort(5);
    ini.setDevice(5, QStringLiteral("/dev/ttyUSB0"));
    ini.setDevice(2, QStringLiteral("/tmp/ttyKorvane"));
    seed("program_settings", QStringLiteral("mapped"), ini.toBytes());
    seed("program_settings", QStringLiteral("odd"), "COM9=/dev/x\rjunk\n\n COM 4 = /dev/y \r\n");

    const QList<LogEntry> entries = {{1, 3, 1, 24, 12, 0, 7, 30, 1},
                                     {57, 8, 0, 1, 1, 9, 23, 59, 0},
                                     {LogEntry::kEndNumber, 0, 0, 0, 0, 0, 0, 0, 0}};
    for (int i = 0; i < entries.size(); ++i)
        seed("logbook", QStringLiteral("entry%1").arg(i),
             QByteArray("\x40\x01", 2) + encodeLogEntry(entries[i]));
    return ok ? 0 : 1;
}
