#pragma once

#include <QString>

namespace korvane::items {

// Item texts of the editor drop-downs, by item index. Each function assumes an
// index inside its list; callers check the range (see fieldItemText).

QString onOff(int index);       // "EIN", "AUS"
QString runTime(int index);     // "1s".."99s", "100s".."990s", "999s", "Dauer"
QString arrow(int index);       // "é", "ê": up and down arrow in the Wingdings font
QString reaction(int index);    // up arrow, down arrow, "deaktiv"
QString comparisonT(int index); // "T>", "T<"
QString comparisonF(int index); // "F>", "F<"
QString percent(int index);     // "1%".."99%"
QString tenths(int index);      // "0,0".."4,0"
QString windSpeed(int index);   // "5".."95" in steps of 5

QString hourText(int hour);    // "05:00"
QString numberText(int value); // "-10", "244"
QString degreeText(int value); // "23°"

template <int FirstHour> QString hour(int index) {
    return hourText(index + FirstHour);
}
template <int Offset> QString number(int index) {
    return numberText(index + Offset);
}
template <int Offset> QString degree(int index) {
    return degreeText(index + Offset);
}

} // namespace korvane::items
