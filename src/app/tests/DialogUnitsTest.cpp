#include <gtest/gtest.h>

#include <ostream>

#include "app/DialogFont.h"
#include "app/DialogUnits.h"

namespace korvel::app {
namespace {

struct ConversionCase {
  DialogBaseUnits units;
  DialogRect rect;
  QRect pixels;
};

void PrintTo(const ConversionCase& c, std::ostream* out) {
  *out << c.units.averageCharWidth << "x" << c.units.height << " units, (" << c.rect.x << ","
       << c.rect.y << "," << c.rect.width << "," << c.rect.height << ")";
}

class DialogUnitConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(DialogUnitConversion, ScalesByAQuarterCharacterAndAnEighthLine) {
  const ConversionCase& c = GetParam();
  EXPECT_EQ(ToPixels(c.units, c.rect), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(
    TemplateRectangles, DialogUnitConversion,
    ::testing::Values(
        // The classic 6 x 13 base units: 1.5 px across, 1.625 px down per unit.
        ConversionCase{{6, 13}, {161, 55, 50, 14}, QRect(241, 89, 75, 23)},
        ConversionCase{{6, 13}, {7, 77, 204, 11}, QRect(10, 125, 306, 18)},
        // Edges are converted as coordinates: 5..130 across is 7..195, not 7 + 187.
        ConversionCase{{6, 13}, {5, 5, 125, 72}, QRect(7, 8, 188, 117)},
        ConversionCase{{7, 13}, {105, 25, 24, 8}, QRect(183, 40, 42, 13)},
        ConversionCase{{8, 16}, {0, 0, 218, 103}, QRect(0, 0, 436, 206)}));

TEST(DialogBaseUnits, ComeFromTheDialogFontAndGrowWithIt) {
  const DialogBaseUnits small = BaseUnitsOf(DialogFont());
  QFont larger = DialogFont();
  larger.setPointSize(16);
  const DialogBaseUnits big = BaseUnitsOf(larger);
  EXPECT_GT(small.averageCharWidth, 3);
  EXPECT_GT(small.height, 8);
  EXPECT_GT(big.averageCharWidth, small.averageCharWidth);
  EXPECT_GT(big.height, small.height);
}

}  // namespace
}  // namespace korvel::app
