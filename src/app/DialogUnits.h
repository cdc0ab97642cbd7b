// Dialog units: the toolkit-neutral coordinates of the dialog templates. A horizontal unit is a
// quarter of the dialog font's average character width, a vertical unit an eighth of its
// height, so a layout keeps its proportions whatever font the machine has.
#pragma once

#include <QFont>
#include <QRect>

#include "app/DialogRect.h"

namespace korvel::app {

struct DialogBaseUnits {
  int averageCharWidth = 0;  // pixels
  int height = 0;            // pixels
};

// The base units of `font`: the average width of the 52 Latin letters, rounded to the nearest
// pixel as the classic dialog manager rounds it, and the font's line height.
DialogBaseUnits BaseUnitsOf(const QFont& font);

int HorizontalPixels(const DialogBaseUnits& units, int dialogUnits);
int VerticalPixels(const DialogBaseUnits& units, int dialogUnits);
QRect ToPixels(const DialogBaseUnits& units, const DialogRect& rect);

}  // namespace korvel::app
