#pragma once

#include <QComboBox>

namespace korvane {

// A drop-down that announces the opening of its list before it opens, so that
// an edited text can be confirmed first.
class NotifyingComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override {
        Q_EMIT popupAboutToShow();
        QComboBox::showPopup();
    }

Q_SIGNALS:
    void popupAboutToShow();
};

} // namespace korvane
