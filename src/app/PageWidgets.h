#pragma once

#include <QList>
#include <QString>

class QGridLayout;
class QGroupBox;
class QLabel;
class QListWidget;
class QWidget;

namespace korvane {

class ChoiceList;

// Small builders for the widgets that every tab page uses, so that each kind
// looks and behaves the same on every page.

QLabel* makeLabel(const QString& objectName, const QString& text, QWidget* parent = nullptr);

// "Alternatives Profil ist aktiv", bold red on yellow, hidden at start.
QLabel* makeAlternativeProfileLabel(const QString& objectName, QWidget* parent = nullptr);

// A titled group with a vertical layout; the block editors go into it.
QGroupBox* makeGroup(const QString& objectName, const QString& title, QWidget* parent = nullptr);

// A per-motor list in the fixed-pitch font with the usual hint, and the
// heading over it.
QListWidget* makeMotorList(const QString& objectName, QWidget* parent = nullptr);
QLabel* makeListHeading(const QString& objectName, const QString& text, QWidget* parent = nullptr);

// One column per motor: the motor's name over a three-row list of up,
// neutral and down, named `prefix`_1 .. _8 and `prefix`_1_Label .. _8_Label
// (manual control, alarm setup); each list selects only what the user chose.
struct MotorChoiceColumns {
    QGridLayout* grid;
    QList<QLabel*> labels;
    QList<ChoiceList*> lists;
};
MotorChoiceColumns makeMotorChoiceColumns(const QString& prefix, int symbolPixels, int initialRow,
                                          QWidget* parent);

inline const QString kMotorListHint =
    QStringLiteral("Anklicken \u00FCbertr\u00E4gt Werte in Eingabemasken (links), Doppel-Klick "
                   "f\u00FCr EIN / AUS");
inline const QString kLuxFieldHint =
    QStringLiteral("Durch Anklicken zwischen aktuellem und mittlerem Wert wechseln");

} // namespace korvane
