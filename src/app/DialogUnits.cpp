#include "app/DialogUnits.h"

#include <QFontMetrics>

namespace korvel::app {

namespace {
constexpr char kAverageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kSampleLetters = 52;
}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int sampleWidth = metrics.horizontalAdvance(QString::fromLatin1(kAverageWidthSample));
  // (width / 26 + 1) / 2 is the half-pixel rounding of width / 52 that templates were laid
  // out against; plain truncation would make every control a little narrower.
  const int average = (sampleWidth / (kSampleLetters / 2) + 1) / 2;
  return DialogBaseUnits{average, metrics.height()};
}

int HorizontalPixels(const DialogBaseUnits& units, int dialogUnits) {
  return dialogUnits * units.averageCharWidth / 4;
}

int VerticalPixels(const DialogBaseUnits& units, int dialogUnits) {
  return dialogUnits * units.height / 8;
}

QRect ToPixels(const DialogBaseUnits& units, const DialogRect& rect) {
  // Right and bottom edges are converted as coordinates, not as sizes, so that neighbours
  // that touch in dialog units still touch in pixels.
  const int left = HorizontalPixels(units, rect.x);
  const int top = VerticalPixels(units, rect.y);
  const int right = HorizontalPixels(units, rect.x + rect.width);
  const int bottom = VerticalPixels(units, rect.y + rect.height);
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace korvel::app
