#include "platform/linux/BusFailure.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace korvel::platform::linux_host {
namespace {

TEST(BusFailureTest, ReasonsAreShortAndPrintable) {
  const struct {
    std::string text, shown;
  } cases[] = {
      {"", ""},
      {"Access denied", "Access denied"},
      {std::string(160, 'a'), std::string(160, 'a')},
      {std::string(161, 'a'), std::string(157, 'a') + "..."},
      {"line\nfeed\ttab\x7f"
       "del",
       "line?feed?tab?del"},
      // A terminal takes U+009B alone as the start of a command; UTF-8 goes byte by byte.
      {"\xc2\x9b"
       "2J caf\xc3\xa9",
       "??2J caf??"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShortPrintable(c.text), c.shown) << c.text;
}

TEST(BusFailureTest, MessageElseNameElseTheSystemsText) {
  sd_bus_error withMessage = SD_BUS_ERROR_MAKE_CONST("org.example.Error", "it\x1b[31m failed");
  sd_bus_error withName = SD_BUS_ERROR_MAKE_CONST("org.example.Error", nullptr);
  EXPECT_EQ(BusFailure(&withMessage, -EACCES), "it?[31m failed");
  EXPECT_EQ(BusFailure(&withName, -EACCES), "org.example.Error");
  EXPECT_EQ(BusFailure(nullptr, -ENOENT), "No such file or directory");
}

}  // namespace
}  // namespace korvel::platform::linux_host
