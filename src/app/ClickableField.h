#pragma once

#include <QLineEdit>

namespace korvane {

// A read-only text field that reports clicks (live brightness, maximum wind).
class ClickableField : public QLineEdit {
    Q_OBJECT
public:
    explicit ClickableField(const QString& objectName, const QString& text = QString(),
                            QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A read-only text field for a live value.
QLineEdit* makeLiveField(const QString& objectName, const QString& text = QString(),
                         QWidget* parent = nullptr);

} // namespace korvane
