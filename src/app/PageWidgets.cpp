#include "PageWidgets.h"

#include "FixedPitchFont.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvane {
namespace {

constexpr int kMotorRows = 8;

} // namespace

QLabel* makeLabel(const QString& objectName, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(objectName);
    return label;
}

QLabel* makeAlternativeProfileLabel(const QString& objectName, QWidget* parent) {
    auto* label = makeLabel(objectName, QStringLiteral("Alternatives Profil ist aktiv"), parent);
    label->setStyleSheet(
        QStringLiteral("QLabel { color: red; background-color: yellow; font-weight: bold; }"));
    label->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    label->hide();
    return label;
}

QGroupBox* makeGroup(const QString& objectName, const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(objectName);
    new QVBoxLayout(group);
    return group;
}

QListWidget* makeMotorList(const QString& objectName, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setFont(fixedPitchFont());
    list->setToolTip(kMotorListHint);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    const int rowHeight = list->fontMetrics().height() + 2;
    list->setFixedHeight(kMotorRows * rowHeight + 2 * list->frameWidth() + 4);
    return list;
}

QLabel* makeListHeading(const QString& objectName, const QString& text, QWidget* parent) {
    // The heading's blanks were laid out in the interface font: in the list's
    // fixed-pitch font the captions would run far past their columns.
    return makeLabel(objectName, text, parent);
}

} // namespace korvane
