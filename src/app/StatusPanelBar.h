#pragma once

#include <QList>
#include <QWidget>

class QLabel;

namespace korvane {

class StatusPanels;

// The 14 panels of the status bar, side by side at their fixed widths and
// clipped at the window edge. Mirrors the texts of the session's StatusPanels.
class StatusPanelBar : public QWidget {
    Q_OBJECT
public:
    struct PanelLayout {
        int width;
        Qt::Alignment alignment;
    };
    static const QList<PanelLayout>& panelLayouts();

    explicit StatusPanelBar(const StatusPanels& panels, QWidget* parent = nullptr);

    QLabel* panel(int index) const { return m_labels.at(index); }
    QString text(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void setPanelText(int index, const QString& text);
    int textWidth(int index) const;
    int panelHeight() const;
    void placePanels(int available);

    QList<QLabel*> m_labels;
    QList<int> m_textWidths; // the widest text of each panel since the last resize
};

} // namespace korvane
