#pragma once

#include <QWidget>

class QLabel;

namespace korvane {

struct LiveDisplay;
struct ModelInfo;

// A tab page that follows the poll cycle: the model decides which of its
// groups exist, the live values fill its fields.
class ControllerPage : public QWidget {
    Q_OBJECT
public:
    explicit ControllerPage(const QString& objectName, QWidget* parent = nullptr);

    virtual void applyModel(const ModelInfo& model);
    virtual void showLiveValues(const LiveDisplay& display);
    // Shows or hides the page's "Alternatives Profil ist aktiv" label, if it has one.
    void setAlternativeProfileShown(bool shown);

protected:
    // Creates the page's alternative-profile label; at most one per page.
    QLabel* createAlternativeProfileLabel(const QString& objectName);

private:
    QLabel* m_profileLabel = nullptr;
};

} // namespace korvane
