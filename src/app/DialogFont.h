// The font every dialog of the program is laid out in. The templates were designed for an
// 8-point sans-serif bitmap font that Linux machines do not carry; DejaVu Sans at 8 points is
// the closest face that fontconfig always has (the set-up installs fonts-dejavu-core).
#pragma once

#include <QFont>

namespace korvel::app {

inline constexpr char kDialogFontFamily[] = "DejaVu Sans";
inline constexpr int kDialogFontPoints = 8;

inline QFont DialogFont() {
  QFont font(QString::fromLatin1(kDialogFontFamily), kDialogFontPoints);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

}  // namespace korvel::app
