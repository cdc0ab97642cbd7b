#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "drive/Identification.h"
#include "platform/testing/CaseNames.h"
#include "transport/TransportStartup.h"
#include "transport/tests/SimulatedPcFixture.h"

namespace korvel::transport {
namespace {

using testing::SimulatedPcFixture;

struct IdentityCase {
  const char* name;
  const char* target;  // the target object of the scenario, id 1
  int inquiry;
  int driveType;
};

void PrintTo(const IdentityCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class IdentificationTest : public ::testing::TestWithParam<IdentityCase> {};

TEST_P(IdentificationTest, InquiryResultAndDriveType) {
  SimulatedPcFixture pc(std::string(R"({"os": "win98", "aspi": {"installed": true},
    "adapters": [{"id": 0, "targets": [{"id": 1, )") +
                        GetParam().target + "}]}]}");
  ASSERT_EQ(StartTransport(*pc.transport), 0x0101);
  drive::InquiryInfo info;
  EXPECT_EQ(drive::InquireDrive(*pc.transport, 0, 1, info), GetParam().inquiry);
  EXPECT_EQ(drive::DriveTypeOf(*pc.transport, 0, 1), GetParam().driveType);
}

INSTANTIATE_TEST_SUITE_P(
    Drives, IdentificationTest,
    ::testing::Values(
        IdentityCase{"CdRomIs17", R"("vendor": "KORVEL", "product": "CD-ROM          ")", 0x0501,
                     17},
        IdentityCase{"CdRIs19", R"("vendor": "KORVEL", "product": "CD-R            ")", 0x0501, 19},
        IdentityCase{"Rz5140Is16", R"("vendor": "KORVEL", "product": "CD-R   RZ5140   ")", 0x0501,
                     16},
        IdentityCase{"Rz6120InOtherCaseIs18",
                     R"("vendor": "korVEL", "product": "cd-r   rz6120   ")", 0x0501, 18},
        IdentityCase{"ProductCutShortIsMinus2",
                     R"("vendor": "KORVEL", "product": "CD-R   RZ5140\u0000\u0000\u0000")", 0x0501,
                     -2},
        IdentityCase{"OtherMakerIsMinus1",
                     R"("vendor": "ACME", "product": "CD-ROM          ", "maker": "other")", 0x0501,
                     -1},
        IdentityCase{"PeripheralByte7F",
                     R"("vendor": "KORVEL", "product": "CD-ROM          ", "peripheral": "0x7F")",
                     0x7F01, 17},
        IdentityCase{"PeripheralByteAbove7FIsNegative",
                     R"("vendor": "KORVEL", "product": "CD-ROM          ", "peripheral": "0x85")",
                     static_cast<std::int8_t>(0x85) * 256 + 1, 17}),
    [](const ::testing::TestParamInfo<IdentityCase>& info) { return info.param.name; });

TEST(IdentificationTest, ATargetThatDoesNotAnswerLeavesTheStringsAlone) {
  SimulatedPcFixture pc(R"({"os": "win98", "aspi": {"installed": true}, "adapters": [{"id": 0}]})");
  ASSERT_EQ(StartTransport(*pc.transport), 0x0101);
  drive::InquiryInfo info;
  std::strcpy(info.vendor, "old");
  EXPECT_EQ(drive::InquireDrive(*pc.transport, 0, 6, info), 0);
  EXPECT_STREQ(info.vendor, "old");
  EXPECT_EQ(drive::DriveTypeOf(*pc.transport, 0, 6), -1);
}

}  // namespace
}  // namespace korvel::transport
