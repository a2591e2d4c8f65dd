#include "StatusPanelBar.h"

#include "session/StatusPanels.h"

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

namespace korvane {
namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr int kTextMargin = 8;
constexpr int kShrinkingPanel = 6; // block being read or sent
constexpr int kMinimumPanel = 40;

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
    for (int i = 0; i < StatusPanels::kCount; ++i) {
        const PanelLayout& l = panelLayouts().at(i);
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(i));
        label->setAlignment(l.alignment);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // Opaque: a new text repaints its panel alone, not the bar beneath it.
        label->setAutoFillBackground(true);
        label->setVisible(l.width > 0);
        m_labels.append(label);
        label->setText(panels.text(i));
    }
    placePanels(sizeHint().width());
    connect(&panels, &StatusPanels::changed, this, &StatusPanelBar::setPanelText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QString StatusPanelBar::text(int index) const {
    return m_labels.at(index)->text();
}

void StatusPanelBar::setPanelText(int index, const QString& text) {
    if (index < 0 || index >= m_labels.size())
        return;
    m_labels[index]->setText(text);
    // Only a text wider than any its panel has shown moves the panels.
    if (textWidth(index) > m_textWidths.value(index))
        placePanels(width());
}

int StatusPanelBar::textWidth(int index) const {
    const QLabel* label = m_labels.at(index);
    return label->fontMetrics().horizontalAdvance(label->text());
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
    m_textWidths.clear();
    placePanels(event->size().width());
}

// The panels keep their design widths when there is room. In a narrower
// window they shrink in proportion, never below the widest text they have
// shown since the last resize (so that a value that changes on every poll
// does not move its neighbours to and fro), and the activity panel gives up
// what is still missing, so that the byte counters and the frame trace stay
// on screen. A panel's size is fixed: a new text does not ask for a layout.
void StatusPanelBar::placePanels(int available) {
    const QList<PanelLayout>& layouts = panelLayouts();
    int designed = 0;
    for (const PanelLayout& l : layouts)
        designed += l.width;
    QList<int> widths;
    int total = 0;
    m_textWidths.resize(layouts.size());
    for (int i = 0; i < layouts.size(); ++i) {
        m_textWidths[i] = std::max(m_textWidths[i], textWidth(i));
        int w = layouts[i].width;
        if (w > 0 && designed > available)
            w = std::min(w, std::max(w * available / designed, m_textWidths[i] + kTextMargin));
        widths.append(w);
        total += w;
    }
    if (total > available)
        widths[kShrinkingPanel] =
            std::max(kMinimumPanel, widths[kShrinkingPanel] - (total - available));
    int x = 0;
    for (int i = 0; i < m_labels.size(); ++i) {
        m_labels[i]->setFixedSize(widths[i], height() > 0 ? height() : panelHeight());
        m_labels[i]->move(x, 0);
        x += widths[i];
    }
}

} // namespace korvane
