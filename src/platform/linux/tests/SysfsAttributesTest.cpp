#include "platform/linux/SysfsAttributes.h"

#include <gtest/gtest.h>

#include "platform/testing/CaseNames.h"

namespace korvel::platform::linux_host {
namespace {

struct AddressCase {
  const char* name;
  bool valid;
  ScsiAddress address;
};

void PrintTo(const AddressCase& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class ScsiAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ScsiAddressTest, ReadsHostChannelTargetAndLun) {
  const std::optional<ScsiAddress> address = ParseScsiAddress(GetParam().name);
  ASSERT_EQ(address.has_value(), GetParam().valid) << GetParam().name;
  if (!address) return;
  EXPECT_EQ(address->host, GetParam().address.host);
  EXPECT_EQ(address->channel, GetParam().address.channel);
  EXPECT_EQ(address->target, GetParam().address.target);
  EXPECT_EQ(address->lun, GetParam().address.lun);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScsiAddressTest,
    ::testing::Values(AddressCase{"0:0:0:0", true, {0, 0, 0, 0}},
                      AddressCase{"12:3:20:7", true, {12, 3, 20, 7}},
                      AddressCase{"1:0:0", false, {}}, AddressCase{"1:0:0:0:", false, {}},
                      AddressCase{"1:0:0:0x", false, {}}, AddressCase{"-1:0:0:0", false, {}},
                      AddressCase{"1::0:0", false, {}}, AddressCase{"", false, {}},
                      AddressCase{"99999999999:0:0:0", false, {}}));

struct TypeCase {
  const char* raw;
  int type;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
  case_names::PrintText(c.raw, os);
}

class PeripheralTypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(PeripheralTypeTest, AcceptsOnlyAWholeTypeNumber) {
  EXPECT_EQ(ParsePeripheralType(GetParam().raw), GetParam().type) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(Table, PeripheralTypeTest,
                         ::testing::Values(TypeCase{"5\n", 5}, TypeCase{"0\n", 0},
                                           TypeCase{"31", 31}, TypeCase{"32\n", -1},
                                           TypeCase{"-1\n", -1}, TypeCase{"5abc\n", -1},
                                           TypeCase{"\n", -1}, TypeCase{"", -1},
                                           TypeCase{"5\n\n", -1}));

TEST(InquiryIdentityTest, TakesBytesEightToThirtyFiveAsTheyAre) {
  std::string data(36, ' ');
  data.replace(8, 8, std::string("KORV\0L  ", 8));
  data.replace(16, 16, "CD-R   RZ6120   ");
  data.replace(32, 4,
               "2.\xff"
               "0");
  const std::optional<InquiryIdentity> identity = IdentityFromInquiry(data);
  ASSERT_TRUE(identity);
  EXPECT_EQ(identity->vendor, std::string("KORV\0L  ", 8));
  EXPECT_EQ(identity->product, "CD-R   RZ6120   ");
  EXPECT_EQ(identity->revision,
            "2.\xff"
            "0");
  EXPECT_FALSE(IdentityFromInquiry(data.substr(0, 35))) << "ends before the revision's end";
}

TEST(NodeOfLinkNameTest, ReadsTheNodeAfterTheDriverName) {
  EXPECT_EQ(NodeOfLinkName("scsi_generic:sg3", "scsi_generic"), "sg3");
  EXPECT_EQ(NodeOfLinkName("block:sr0", "block"), "sr0");
  EXPECT_EQ(NodeOfLinkName("block:", "block"), std::nullopt);
  EXPECT_EQ(NodeOfLinkName("blocks:sr0", "block"), std::nullopt);
  EXPECT_EQ(NodeOfLinkName("scsi_generic", "scsi_generic"), std::nullopt);
  EXPECT_EQ(NodeOfLinkName("vendor", "block"), std::nullopt);
}

TEST(TextAttributeValueTest, DropsOneNewlineAndKeepsBlanks) {
  EXPECT_EQ(TextAttributeValue("KORVEL  \n"), "KORVEL  ");
  EXPECT_EQ(TextAttributeValue("A\n\n"), "A\n");
  EXPECT_EQ(TextAttributeValue(""), "");
}

}  // namespace
}  // namespace korvel::platform::linux_host
