#include "StatusPanelBar.h"

#include "session/StatusPanels.h"

#include <QLabel>
#include <QResizeEvent>

namespace korvane {
namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;

} // namespace

const QList<StatusPanelBar::PanelLayout>& StatusPanelBar::panelLayouts() {
    static const QList<PanelLayout> layouts{
        {100, kCentre}, // model or "Keine Verbindung"
        {50, kCentre},  // firmware version
        {60, kCentre},  // date
        {60, kCentre},  // time
        {0, kLeft},     // not used
        {80, kLeft},    // errors
        {185, kCentre}, // block being read or sent
        {70, kCentre},  // sun
        {60, kCentre},  // wind
        {65, kCentre},  // outside temperature
        {65, kCentre},  // inside temperature
        {50, kLeft},    // received bytes
        {50, kLeft},    // sent bytes
        {50, kLeft},    // frame trace
    };
    return layouts;
}

StatusPanelBar::StatusPanelBar(const StatusPanels& panels, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StatusBar1_Panels"));
    Q_ASSERT(panelLayouts().size() == StatusPanels::kCount);
    int x = 0;
    for (int i = 0; i < StatusPanels::kCount; ++i) {
        const PanelLayout& l = panelLayouts().at(i);
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i));
        label->setAlignment(l.alignment);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(x, 0, l.width, panelHeight());
        label->setVisible(l.width > 0);
        x += l.width;
        m_labels.append(label);
        label->setText(panels.text(i));
    }
    connect(&panels, &StatusPanels::changed, this, &StatusPanelBar::setPanelText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QString StatusPanelBar::text(int index) const {
    return m_labels.at(index)->text();
}

void StatusPanelBar::setPanelText(int index, const QString& text) {
    if (index >= 0 && index < m_labels.size())
        m_labels[index]->setText(text);
}

int StatusPanelBar::panelHeight() const {
    return fontMetrics().height() + 6;
}

QSize StatusPanelBar::sizeHint() const {
    int width = 0;
    for (const PanelLayout& l : panelLayouts())
        width += l.width;
    return {width, panelHeight()};
}

QSize StatusPanelBar::minimumSizeHint() const {
    return {0, panelHeight()};
}

void StatusPanelBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    for (QLabel* label : m_labels)
        label->resize(label->width(), event->size().height());
}

} // namespace korvane
