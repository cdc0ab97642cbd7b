#include "winapp/OpenFileFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/testing/CaseNames.h"
#include "upgrade/UpgradeWindow.h"

namespace korvel::winapp {
namespace {

using namespace std::string_literals;

struct FilterCase {
  std::string_view barSeparated;
  std::string nulSeparated;
};

void PrintTo(const FilterCase& c, std::ostream* os) {
  case_names::PrintText(c.barSeparated, os);
}

class NulSeparatedFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(NulSeparatedFilterTest, EndsWithTwoNuls) {
  const std::string filter = NulSeparatedFilter(GetParam().barSeparated);
  EXPECT_EQ(filter, GetParam().nulSeparated);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, NulSeparatedFilterTest,
    testing::Values(
        // The dialog logic's own filter: every bar a NUL, the closing "||" the final pair.
        FilterCase{upgrade::OpenFileRequest{}.filter,
                   "Upgrade Files (*.bin)\0*.bin\0All Files (*.*)\0*.*\0\0"s},
        // Without the closing bars the end is still marked.
        FilterCase{"Images|*.bin", "Images\0*.bin\0\0"s},
        FilterCase{"Images|*.bin|", "Images\0*.bin\0\0"s},
        // Nothing at all: an empty list, which the dialog reads as no filter.
        FilterCase{"", "\0\0"s}));

}  // namespace
}  // namespace korvel::winapp
