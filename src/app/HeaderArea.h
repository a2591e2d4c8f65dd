#pragma once

#include <QWidget>

class QLabel;

namespace korvane {

class LogoShape;

// The top of the main window, above the tab pages: maker and category labels,
// the logo with the heartbeat dot, the no-connection banner and the web address.
class HeaderArea : public QWidget {
    Q_OBJECT
public:
    static inline const QString kUrl = QStringLiteral("www.vendrix.example");
    static inline const QString kConservatoryUrl =
        QStringLiteral("www.wintergarten.vendrix.example");
    static inline const QColor kDotRed{Qt::red};
    static inline const QColor kDotFuchsia{Qt::magenta};

    explicit HeaderArea(QWidget* parent = nullptr);

    LogoShape* dot() const { return m_dot; }
    QLabel* noConnectionLabel() const { return m_noConnection; }
    QLabel* urlLabel() const { return m_url; }

    // Heartbeat: red while there is no connection; a live connection
    // alternates a red square and a fuchsia circle.
    void showHeartbeat(bool connected, bool fuchsiaCircle);
    void setNoConnectionShown(bool shown);
    void setConservatoryUrl(bool conservatory);

private:
    LogoShape* m_dot;
    QLabel* m_noConnection;
    QLabel* m_url;
};

} // namespace korvane
