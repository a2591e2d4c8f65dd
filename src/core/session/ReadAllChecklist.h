#pragma once

#include "session/ModelInfo.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace korvane {

// What a read-all must deliver for a model, request by request, and what of
// it has arrived intact: the eight motor names, every switch-time slot within
// MotorCount x SlotsPerMotor, every record of both profiles of each per-motor
// block within MotorCount, the alarm entries and the single values.
class ReadAllChecklist {
public:
    // The requests of a read-all for `model`, in the order they are written.
    static QList<QByteArray> requests(const ModelInfo& model);

    // Record keys within a request's answer (1-based addresses).
    static int slotKey(int day, int motor, int slot) { return day * 100 + motor * 10 + slot; }
    static int recordKey(int profile, int motor) { return profile * 10 + motor; }

    // Every record of `model` expected, none arrived.
    void expect(const ModelInfo& model);
    // A record of the answer to `request` arrived intact. Keys that the
    // model does not expect are ignored. Motor names and alarm entries are
    // keyed by motor, single values by 0.
    void arrived(const QByteArray& request, int key);

    bool complete() const;
    int missingCount() const;
    // The requests whose answers still lack a record, in request order.
    QList<QByteArray> incompleteRequests() const;
    // The missing records, grouped per request: a whole request by its name
    // ("Motornamen"), a few records each by name ("Beschattung Motor 3
    // Profil 2"), many by their number.
    QStringList missingItems() const;
    // "Lesen unvollständig: ... fehlen"; empty when complete.
    QString incompleteMessage() const;

private:
    struct Request {
        QByteArray code;
        QList<int> expected;
        QSet<int> arrived;
    };
    QList<Request> m_requests;
};

} // namespace korvane
