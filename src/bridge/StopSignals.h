#pragma once

#include <QObject>

class QSocketNotifier;

namespace korvane::bridge {

// SIGTERM and SIGINT as a Qt signal on the owning thread: the handler only
// writes a byte into a pipe whose reading end sits in a QSocketNotifier.
class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

Q_SIGNALS:
    void stopRequested(const QString& signalName);

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace korvane::bridge
