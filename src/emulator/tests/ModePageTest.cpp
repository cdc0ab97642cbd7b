// Mode pages in the 6- and 10-byte layouts, MODE SELECT, and the type 18 drive's refusal of
// the 6-byte forms.
#include <gtest/gtest.h>

#include "DeviceTestSupport.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

Bytes ModeSense6(std::uint8_t page, std::uint8_t allocation) {
  return {0x1A, 0, page, 0, allocation, 0};
}
Bytes ModeSense10(std::uint8_t page, std::uint8_t allocation) {
  return {0x5A, 0, page, 0, 0, 0, 0, 0, allocation, 0};
}
Bytes ModeSelect6(std::uint8_t length) {
  return {0x15, 0x10, 0, 0, length, 0};
}
Bytes ModeSelect10(std::uint8_t length) {
  return {0x55, 0x10, 0, 0, 0, 0, 0, 0, length, 0};
}

TEST(ModeSenseTest, SixByteLayoutHasOneBlockDescriptor) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(34, 0xEE);
  const CommandResult result = drive.In(ModeSense6(0x2A, 34), data);
  ASSERT_EQ(result.status, kStatusGood);
  EXPECT_EQ(result.transferred, 34u);
  // Mode data length 12 + 22 - 1, block descriptor: 1000 blocks of 2048 bytes.
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 14),
            (Bytes{33, 0, 0, 8, 0, 0x00, 0x03, 0xE8, 0, 0x00, 0x08, 0x00, 0x2A, 0x14}));
  EXPECT_EQ((Bytes{data[26], data[27]}), (Bytes{0x10, 0x8A}));  // 4234 kB/s read
  EXPECT_EQ((Bytes{data[32], data[33]}), (Bytes{0x05, 0x83}));  // 1411 kB/s write
}

TEST(ModeSenseTest, TenByteLayoutHasNoBlockDescriptor) {
  DeviceUnderTest drive(Rz6120());
  Bytes data(100, 0xEE);
  const CommandResult result = drive.In(ModeSense10(0x31, 100), data);
  ASSERT_EQ(result.status, kStatusGood);
  EXPECT_EQ(result.transferred, 12u);
  EXPECT_EQ(Bytes(data.begin(), data.begin() + 13),
            (Bytes{0, 10, 0, 0, 0, 0, 0, 0, 0x31, 0x02, 0x00, 0x00, 0xEE}));
}

TEST(ModeSenseTest, BothLayoutsCarryTheSamePage) {
  DeviceUnderTest drive(Rz5140());
  for (std::uint8_t page : {0x01, 0x2A, 0x31}) {
    Bytes six(255, 0), ten(255, 0);
    const auto r6 = drive.In(ModeSense6(page, 255), six);
    const auto r10 = drive.In(ModeSense10(page, 255), ten);
    ASSERT_EQ(r6.transferred - 12, r10.transferred - 8) << int(page);
    EXPECT_EQ(Bytes(six.begin() + 12, six.begin() + r6.transferred),
              Bytes(ten.begin() + 8, ten.begin() + r10.transferred))
        << int(page);
    EXPECT_EQ(six[12], page);
  }
}

TEST(ModeSenseTest, UnknownPageIsABadField) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(64, 0);
  EXPECT_EQ(SenseOf(drive.In(ModeSense6(0x0E, 64), data)), sense::kInvalidFieldInCdb);
}

TEST(ModeCommandTest, TypeEighteenTakesOnlyTenByteForms) {
  const struct {
    json drive;
    Bytes cdb;
    Direction direction;
    std::uint8_t status;
  } cases[] = {
      {Rz6120(), ModeSense6(0x2A, 34), Direction::In, kStatusCheckCondition},
      {Rz6120(), ModeSelect6(8), Direction::Out, kStatusCheckCondition},
      {Rz6120(), ModeSense10(0x2A, 34), Direction::In, kStatusGood},
      {Rz6120(), ModeSelect10(12), Direction::Out, kStatusGood},
      {Rz5140(), ModeSense6(0x2A, 34), Direction::In, kStatusGood},
      {Rz5140(), ModeSelect6(8), Direction::Out, kStatusGood},
      {Rz5140(), ModeSense10(0x2A, 34), Direction::In, kStatusGood},
      {Rz5140(), ModeSelect10(12), Direction::Out, kStatusGood},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(c.drive);
    Bytes data = c.direction == Direction::In
                     ? Bytes(64, 0)
                     : (c.cdb[0] == 0x15 ? Bytes{0, 0, 0, 0, 0x31, 2, 1, 0}
                                         : Bytes{0, 6, 0, 0, 0, 0, 0, 0, 0x31, 2, 1, 0});
    const CommandResult result =
        c.direction == Direction::In ? drive.In(c.cdb, data) : drive.Out(c.cdb, data);
    EXPECT_EQ(result.status, c.status) << c.drive.dump() << " " << int(c.cdb[0]);
    if (c.status != kStatusGood) {
      EXPECT_EQ(SenseOf(result), sense::kInvalidOpcode);
    }
  }
}

TEST(ModeSelectTest, StoredPageIsReadBack) {
  DeviceUnderTest drive(Rz5140());
  ASSERT_EQ(drive.Out(ModeSelect6(8), {0, 0, 0, 0, 0x31, 0x02, 0x03, 0x00}).status, kStatusGood);
  Bytes data(16, 0);
  ASSERT_EQ(drive.In(ModeSense6(0x31, 16), data).status, kStatusGood);
  EXPECT_EQ(data[14], 0x03);

  DeviceUnderTest typeEighteen(Rz6120());
  const Bytes list{0, 10, 0, 0, 0, 0, 0, 0, 0x01, 0x06, 0x00, 0x09, 0, 0, 0, 0};
  ASSERT_EQ(typeEighteen.Out(ModeSelect10(16), list).status, kStatusGood);
  Bytes ten(16, 0);
  ASSERT_EQ(typeEighteen.In(ModeSense10(0x01, 16), ten).status, kStatusGood);
  EXPECT_EQ(Bytes(ten.begin() + 8, ten.end()), Bytes(list.begin() + 8, list.end()));
}

TEST(ModeSelectTest, BadParameterListsChangeNothing) {
  const struct {
    const char* name;
    Bytes list;
    SenseCode expected;
  } cases[] = {
      {"page length wrong",
       {0, 0, 0, 0, 0x31, 0x03, 0x03, 0, 0},
       sense::kInvalidFieldInParameterList},
      {"page not held", {0, 0, 0, 0, 0x0E, 0x02, 0x03, 0}, sense::kInvalidFieldInParameterList},
      {"page cut short", {0, 0, 0, 0, 0x31, 0x02, 0x03}, sense::kParameterListLengthError},
      {"header cut short", {0, 0, 0}, sense::kParameterListLengthError},
      {"block descriptor of 4",
       {0, 0, 0, 4, 0, 0, 0, 0, 0x31, 2, 3, 0},
       sense::kInvalidFieldInParameterList},
      {"block length 1000",
       {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x03, 0xE8, 0x31, 2, 3, 0},
       sense::kInvalidFieldInParameterList},
      {"second page bad",
       {0, 0, 0, 0, 0x31, 0x02, 0x03, 0, 0x01, 0x05, 0, 0, 0, 0, 0},
       sense::kInvalidFieldInParameterList},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(Rz5140());
    const CommandResult result =
        drive.Out(ModeSelect6(static_cast<std::uint8_t>(c.list.size())), c.list);
    EXPECT_EQ(SenseOf(result), c.expected) << c.name;
    Bytes data(16, 0);
    drive.In(ModeSense6(0x31, 16), data);
    EXPECT_EQ(data[14], 0x00) << c.name;
  }
}

TEST(ModePageConfigTest, ScenarioPageReplacesTheDefault) {
  json target = Rz5140();
  target["mode_pages"] = {{"31", "31 02 05 00"},
                          {"0x2A",
                           "2A 14 00 00 00 00 00 00 1B 90 00 00 00 00 02 C2 00 00 "
                           "00 00 01 61"}};
  DeviceUnderTest drive(target);
  Bytes data(34, 0);
  drive.In(ModeSense6(0x2A, 34), data);
  EXPECT_EQ((Bytes{data[26], data[27], data[32], data[33]}), (Bytes{0x02, 0xC2, 0x01, 0x61}));
  drive.In(ModeSense6(0x31, 16), data);
  EXPECT_EQ(data[14], 0x05);
}

// MODE SENSE with page control 1 (changeable values), 10-byte form: the bits a host may change.
TEST(ChangeableValuesTest, EachBuiltInPageShowsOnlyWhatModeSelectTakes) {
  const struct {
    std::uint8_t page;
    Bytes expected;  // the page as the changeable-values answer carries it
  } cases[] = {
      {0x01, {0x01, 0x06, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00}},
      {0x2A, {0x2A, 0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {0x31, {0x31, 0x02, 0xFF, 0x00}},
      {0x05, {0x05, 0x32, 0x1F, 0xFF, 0x0F, 0x00, 0x00, 0x3F, 0xFF, 0x00, 0xFF, 0xFF, 0xFF,
              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(Rz6120());
    Bytes data(100, 0xEE);
    const Bytes cdb{0x5A, 0, std::uint8_t(0x40 | c.page), 0, 0, 0, 0, 0, 100, 0};
    const CommandResult result = drive.In(cdb, data);
    ASSERT_EQ(result.status, kStatusGood) << int(c.page);
    ASSERT_EQ(result.transferred, 8 + c.expected.size()) << int(c.page);
    EXPECT_EQ(Bytes(data.begin() + 8, data.begin() + result.transferred), c.expected)
        << int(c.page);
  }
}

// MODE SELECT holds every sent page against the changeable mask: an echo of the current page
// is taken, a change to a bit the drive does not let change refuses the whole list.
TEST(ChangeableValuesTest, ModeSelectRefusesAChangeOutsideTheMask) {
  // The built-in page 2A as MODE SENSE gives it.
  const Bytes caps{0x2A, 0x14, 0x03, 0x01, 0x70, 0x71, 0x29, 0x00, 0x10, 0x8A, 0x01,
                   0x00, 0x08, 0x00, 0x10, 0x8A, 0x00, 0x00, 0x05, 0x83, 0x05, 0x83};
  auto with = [](Bytes page, std::size_t at, std::uint8_t value) {
    page[at] = value;
    return page;
  };
  const struct {
    const char* name;
    Bytes page;
    std::uint8_t status;
  } cases[] = {
      {"capabilities echoed", caps, kStatusGood},
      {"capabilities echoed with the PS bit", with(caps, 0, 0xAA), kStatusGood},
      {"capabilities current read speed", with(caps, 15, 0x00), kStatusCheckCondition},
      {"capabilities eject claim dropped", with(caps, 6, 0x21), kStatusCheckCondition},
      {"error recovery retry count", {0x01, 0x06, 0x00, 0x09, 0, 0, 0, 0}, kStatusGood},
      {"error recovery speed code", {0x01, 0x06, 0x00, 0x00, 0, 0x03, 0, 0}, kStatusGood},
      {"error recovery reserved byte 4",
       {0x01, 0x06, 0x00, 0x05, 0x01, 0, 0, 0},
       kStatusCheckCondition},
      {"vendor speed setting", {0x31, 0x02, 0x04, 0x00}, kStatusGood},
      {"vendor speed reserved byte 3", {0x31, 0x02, 0x04, 0x01}, kStatusCheckCondition},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(Rz5140());
    Bytes list{0, 0, 0, 0};
    list.insert(list.end(), c.page.begin(), c.page.end());
    const CommandResult result = drive.Out(ModeSelect6(std::uint8_t(list.size())), list);
    EXPECT_EQ(result.status, c.status) << c.name;
    if (c.status != kStatusGood) {
      EXPECT_EQ(SenseOf(result), sense::kInvalidFieldInParameterList) << c.name;
    }
    // Page 2A is left as it was by every case, taken or refused.
    Bytes data(34, 0);
    ASSERT_EQ(drive.In(ModeSense6(0x2A, 34), data).status, kStatusGood) << c.name;
    EXPECT_EQ(Bytes(data.begin() + 12, data.end()), caps) << c.name;
  }
}

TEST(ChangeableValuesTest, APageOnlyTheScenarioNamesChangesWhole) {
  json target = Rz5140();
  target["mode_pages"] = {{"0E", "0E 06 04 00 00 00 01 02"}};
  DeviceUnderTest drive(target);
  Bytes data(100, 0);
  const CommandResult mask = drive.In({0x1A, 0x08, 0x4E, 0, 100, 0}, data);
  ASSERT_EQ(mask.status, kStatusGood);
  EXPECT_EQ(Bytes(data.begin() + 4, data.begin() + mask.transferred),
            (Bytes{0x0E, 0x06, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  const Bytes list{0, 0, 0, 0, 0x0E, 0x06, 0x05, 0x07, 0, 0, 0x09, 0x0A};
  ASSERT_EQ(drive.Out(ModeSelect6(12), list).status, kStatusGood);
  const CommandResult current = drive.In({0x1A, 0x08, 0x0E, 0, 100, 0}, data);
  EXPECT_EQ(Bytes(data.begin() + 4, data.begin() + current.transferred),
            Bytes(list.begin() + 4, list.end()));
}

// A recorder's write parameters page: the peers that record read it before anything else, and
// try the write types one by one with MODE SELECT.
TEST(WriteParametersTest, TheBuiltInPageAndTheValuesModeSelectTakes) {
  Bytes page(52, 0);
  page[0] = 0x05;
  page[1] = 0x32;
  page[2] = 0x01;   // track-at-once
  page[3] = 0x04;   // data track, recorded uninterrupted
  page[4] = 0x08;   // mode 1
  page[15] = 0x96;  // 150-block audio pause
  {
    DeviceUnderTest drive(Rz6120());
    Bytes data(100, 0xEE);
    const CommandResult result = drive.In(ModeSense10(0x05, 100), data);
    ASSERT_EQ(result.status, kStatusGood);
    EXPECT_EQ(Bytes(data.begin() + 8, data.begin() + result.transferred), page);
  }
  auto with = [&page](std::size_t at, std::uint8_t value) {
    Bytes changed = page;
    changed[at] = value;
    return changed;
  };
  const struct {
    const char* name;
    Bytes page;
    std::uint8_t status;
  } cases[] = {
      {"packet", with(2, 0x00), kStatusGood},
      {"session-at-once, test write", with(2, 0x12), kStatusGood},
      {"raw", with(2, 0x03), kStatusGood},
      {"write type 4 is reserved", with(2, 0x04), kStatusCheckCondition},
      {"buffer under-run protection the drive lacks", with(2, 0x41), kStatusCheckCondition},
      {"raw with P-W", with(4, 0x03), kStatusGood},
      {"mode 2 form 2 with subheader", with(4, 0x0D), kStatusGood},
      {"data block type 5 is reserved", with(4, 0x05), kStatusCheckCondition},
      {"data block type 15 is vendor specific", with(4, 0x0F), kStatusCheckCondition},
      {"CD-ROM XA session", with(8, 0x20), kStatusGood},
      {"session format 0x30", with(8, 0x30), kStatusCheckCondition},
      {"link size without LS_V", with(5, 0x07), kStatusCheckCondition},
      {"catalog number", with(16, 0x80), kStatusGood},
  };
  for (const auto& c : cases) {
    DeviceUnderTest drive(Rz6120());
    Bytes list(8, 0);
    list.insert(list.end(), c.page.begin(), c.page.end());
    const CommandResult result = drive.Out(ModeSelect10(std::uint8_t(list.size())), list);
    EXPECT_EQ(result.status, c.status) << c.name;
    Bytes data(100, 0);
    const CommandResult sensed = drive.In(ModeSense10(0x05, 100), data);
    EXPECT_EQ(Bytes(data.begin() + 8, data.begin() + sensed.transferred),
              c.status == kStatusGood ? c.page : page)
        << c.name;
  }
}

TEST(SetCdSpeedTest, CurrentSpeedsFollowWithinTheMaximum) {
  const struct {
    std::uint16_t read, write;
    std::uint16_t expectedRead, expectedWrite;
  } cases[] = {{706, 353, 706, 353}, {0xFFFF, 0xFFFF, 4234, 1411}, {9000, 2000, 4234, 1411}};
  for (const auto& c : cases) {
    DeviceUnderTest drive(Rz5140());
    const Bytes cdb{0xBB,
                    0,
                    std::uint8_t(c.read >> 8),
                    std::uint8_t(c.read),
                    std::uint8_t(c.write >> 8),
                    std::uint8_t(c.write),
                    0,
                    0,
                    0,
                    0,
                    0,
                    0};
    ASSERT_EQ(drive.NoData(cdb).status, kStatusGood);
    Bytes data(34, 0);
    drive.In(ModeSense6(0x2A, 34), data);
    EXPECT_EQ(data[26] * 256 + data[27], c.expectedRead) << c.read;
    EXPECT_EQ(data[32] * 256 + data[33], c.expectedWrite) << c.write;
  }
}

}  // namespace
}  // namespace korvel::emulator::testing
