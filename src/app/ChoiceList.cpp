#include "ChoiceList.h"

#include <QKeyEvent>

namespace korvane {

ChoiceList::ChoiceList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { choose(row(item)); });
}

// What the user does moves the focus, never the selection; the program's own
// setCurrentRow() (no event) selects.
QItemSelectionModel::SelectionFlags ChoiceList::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
    return event ? QItemSelectionModel::NoUpdate : QListWidget::selectionCommand(index, event);
}

void ChoiceList::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Select:
        if (currentRow() >= 0) {
            choose(currentRow());
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QListWidget::keyPressEvent(event);
}

void ChoiceList::choose(int row) {
    if (row < 0 || row >= count())
        return;
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    Q_EMIT chosen(row);
}

} // namespace korvane
