#pragma once

#include <QListWidget>

namespace korvane {

// A list whose selected item is the last choice made: a click on an item, or
// Enter or Space on the focused one, chooses that item and selects it. The
// arrow keys, a drag or typing move the focus only, so the selection never
// shows a choice that was not made. The program selects with setCurrentRow().
class ChoiceList : public QListWidget {
    Q_OBJECT
public:
    explicit ChoiceList(QWidget* parent = nullptr);

Q_SIGNALS:
    // The user chose `row` (again, possibly); it is selected now.
    void chosen(int row);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString&) override {}

private:
    void choose(int row);
};

} // namespace korvane
