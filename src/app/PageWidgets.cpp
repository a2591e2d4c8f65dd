#include "PageWidgets.h"

#include "ChoiceList.h"
#include "FixedPitchFont.h"
#include "text/SymbolText.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace korvane {
namespace {

constexpr int kMotorRows = 8;
constexpr int kChoiceRows = 3;

ChoiceList* makeChoiceList(const QString& objectName, int symbolPixels, int initialRow,
                           QWidget* parent) {
    auto* list = new ChoiceList(parent);
    list->setObjectName(objectName);
    QFont font = list->font();
    font.setPixelSize(symbolPixels);
    list->setFont(font);
    list->setCursor(Qt::PointingHandCursor);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const QString& symbol : {QStringLiteral("é"), QStringLiteral("¡"), QStringLiteral("ê")}) {
        auto* item = new QListWidgetItem(symbolDisplayText(symbol), list);
        item->setTextAlignment(Qt::AlignCenter);
    }
    list->setCurrentRow(initialRow);
    const int rowHeight = list->sizeHintForRow(0);
    list->setFixedSize(kChoiceRows * rowHeight, kChoiceRows * rowHeight + 2 * list->frameWidth());
    return list;
}

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

MotorChoiceColumns makeMotorChoiceColumns(const QString& prefix, int symbolPixels, int initialRow,
                                          QWidget* parent) {
    MotorChoiceColumns columns{new QGridLayout, {}, {}};
    for (int motor = 1; motor <= kMotorRows; ++motor) {
        QLabel* label = makeLabel(QStringLiteral("%1_%2_Label").arg(prefix).arg(motor),
                                  QStringLiteral("Motor %1").arg(motor), parent);
        label->setAlignment(Qt::AlignCenter);
        ChoiceList* list = makeChoiceList(QStringLiteral("%1_%2").arg(prefix).arg(motor),
                                          symbolPixels, initialRow, parent);
        columns.grid->addWidget(label, 0, motor - 1);
        columns.grid->addWidget(list, 1, motor - 1, Qt::AlignHCenter);
        columns.labels.append(label);
        columns.lists.append(list);
    }
    return columns;
}

QLabel* makeListHeading(const QString& objectName, const QString& text, QWidget* parent) {
    // The heading's blanks were laid out in the interface font: in the list's
    // fixed-pitch font the captions would run far past their columns.
    return makeLabel(objectName, text, parent);
}

} // namespace korvane
