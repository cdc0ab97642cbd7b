// The tray: START STOP UNIT opens and closes it, PREVENT ALLOW MEDIUM REMOVAL locks it, the disc
// commands say whether the tray is open or empty, a loaded disc raises one UNIT ATTENTION, and
// GET EVENT STATUS NOTIFICATION reports each load and removal once.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "formats/SampleImage.h"

namespace korvel::emulator::testing {
namespace {

using nlohmann::json;

// The CDBs as a host sends them, written out byte for byte.
const Bytes kTur = Hex("00 00 00 00 00 00");
const Bytes kRezero = Hex("01 00 00 00 00 00");
const Bytes kRequestSense = Hex("03 00 00 00 12 00");
const Bytes kRead6 = Hex("08 00 00 00 01 00");
const Bytes kInquiry = Hex("12 00 00 00 24 00");
const Bytes kInquiryVpd = Hex("12 01 00 00 24 00");  // refused 05/24/00, like INQUIRY exempt
const Bytes kModeSense6 = Hex("1A 00 2A 00 40 00");
const Bytes kStop = Hex("1B 00 00 00 00 00");
const Bytes kStart = Hex("1B 00 00 00 01 00");
const Bytes kEject = Hex("1B 00 00 00 02 00");
const Bytes kLoad = Hex("1B 00 00 00 03 00");
const Bytes kEjectImmediate = Hex("1B 01 00 00 02 00");
const Bytes kLoadImmediate = Hex("1B 01 00 00 03 00");
const Bytes kPowerConditionIdle = Hex("1B 00 00 00 20 00");
const Bytes kStartStopReservedByte4 = Hex("1B 00 00 00 06 00");
const Bytes kStartStopReservedByte1 = Hex("1B 02 00 00 02 00");
const Bytes kPrevent = Hex("1E 00 00 00 01 00");
const Bytes kAllow = Hex("1E 00 00 00 00 00");
const Bytes kReadCapacity = Hex("25 00 00 00 00 00 00 00 00 00");
const Bytes kRead10 = Hex("28 00 00 00 00 00 00 00 01 00");
const Bytes kSeek = Hex("2B 00 00 00 00 10 00 00 00 00");
const Bytes kWriteBuffer = Hex("3B 04 00 00 00 00 00 00 04 00");
const Bytes kReadSubChannel = Hex("42 00 40 01 00 00 00 00 10 00");
const Bytes kReadToc = Hex("43 00 00 00 00 00 00 00 0C 00");
const Bytes kGesnMedia = Hex("4A 01 00 00 10 00 00 00 08 00");
const Bytes kReadDiscInformation = Hex("51 00 00 00 00 00 00 00 22 00");
const Bytes kReadTrackInformation = Hex("52 01 00 00 00 01 00 00 24 00");
const Bytes kModeSelect10Empty = Hex("55 10 00 00 00 00 00 00 00 00");
const Bytes kModeSense10 = Hex("5A 00 2A 00 00 00 00 00 40 00");
const Bytes kSetCdSpeed = Hex("BB 00 FF FF FF FF 00 00 00 00 00 00");
const Bytes kReadCd = Hex("BE 00 00 00 00 00 00 00 01 F8 00 00");
const Bytes kVendorStatus = Hex("DE 00 00 00 00 00 00 00 00 00 00 00");

constexpr SenseCode kGood{0x00, 0x00, 0x00};
constexpr SenseCode kTrayOpen{0x02, 0x3A, 0x02};
constexpr SenseCode kTrayClosedEmpty{0x02, 0x3A, 0x01};
constexpr SenseCode kRemovalPrevented{0x05, 0x53, 0x02};
constexpr SenseCode kMayHaveChanged{0x06, 0x28, 0x00};
constexpr SenseCode kInvalidField{0x05, 0x24, 0x00};

// One command and how it ends: GOOD (kGood) or CHECK CONDITION with this sense. For REQUEST
// SENSE, the sense is the one its 18 bytes report.
struct Step {
  Bytes cdb;
  SenseCode ends;
};

struct TraySequence {
  std::string name;
  json target;
  std::vector<Step> steps;
};

void PrintTo(const TraySequence& c, std::ostream* out) {
  *out << c.name;
}

std::string SenseText(SenseCode code) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X/%02X/%02X", code.key, code.asc, code.ascq);
  return text;
}

bool IsDataOut(const Bytes& cdb) {
  return cdb[0] == 0x3B || cdb[0] == 0x55;
}

json WithTray(json target, const char* tray) {
  target["tray"] = tray;
  return target;
}

class TraySequenceTest : public ::testing::TestWithParam<TraySequence> {};

TEST_P(TraySequenceTest, EachStepEndsAsADriveOfTheLineDoes) {
  const TraySequence& c = GetParam();
  DeviceUnderTest drive(c.target);
  for (std::size_t i = 0; i < c.steps.size(); ++i) {
    const Step& step = c.steps[i];
    CommandResult result;
    Bytes data(64, 0);
    if (IsDataOut(step.cdb)) {
      // WRITE BUFFER's 4 bytes and the 4 the host adds; MODE SELECT's empty list.
      result = drive.Out(step.cdb, Bytes(step.cdb[0] == 0x3B ? 8 : 0, 0));
    } else {
      result = drive.In(step.cdb, data);
    }
    SenseCode ended = result.status == kStatusGood ? kGood : SenseOf(result);
    if (step.cdb[0] == 0x03 && result.status == kStatusGood) {
      ended = SenseCodeOf(*reinterpret_cast<const SenseData*>(data.data()));
    }
    EXPECT_EQ(SenseText(ended), SenseText(step.ends))
        << "step " << i << ", opcode " << std::hex << int(step.cdb[0]);
  }
}

const std::vector<Step> kEveryDiscCommand(SenseCode ends) {
  return {{kTur, ends},
          {kRead6, ends},
          {kReadCapacity, ends},
          {kRead10, ends},
          {kSeek, ends},
          {kReadSubChannel, ends},
          {kReadToc, ends},
          {kReadDiscInformation, ends},
          {kReadTrackInformation, ends},
          {kReadCd, ends}};
}

std::vector<Step> Join(std::vector<std::vector<Step>> parts) {
  std::vector<Step> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, TraySequenceTest,
    ::testing::Values(
        TraySequence{"EjectThenLoad", Rz5140(),
                     Join({{{kTur, kGood}, {kEject, kGood}},
                           kEveryDiscCommand(kTrayOpen),
                           {{kLoad, kGood}, {kTur, kMayHaveChanged}, {kTur, kGood}},
                           kEveryDiscCommand(kGood)})},
        TraySequence{"EmptyTrayClosedThenOpen", Rz6120(),
                     Join({kEveryDiscCommand(kTrayClosedEmpty),
                           {{kEject, kGood}},
                           kEveryDiscCommand(kTrayOpen),
                           // Nothing was loaded: no UNIT ATTENTION.
                           {{kLoad, kGood}, {kTur, kTrayClosedEmpty}}})},
        TraySequence{"LockedTrayStaysClosed",
                     Rz5140(),
                     {{kPrevent, kGood},
                      {kEject, kRemovalPrevented},
                      {kRequestSense, kRemovalPrevented},
                      {kEjectImmediate, kRemovalPrevented},
                      {kTur, kGood},
                      {kPrevent, kGood},
                      {kAllow, kGood},
                      {kEject, kGood},
                      {kTur, kTrayOpen}}},
        TraySequence{"LockedEmptyTrayStaysClosed",
                     Rz6120(),
                     {{kPrevent, kGood}, {kEject, kRemovalPrevented}, {kTur, kTrayClosedEmpty}}},
        // A tray already where the host sends it does not move; a load closes a locked tray.
        TraySequence{"MovesToWhereItIs",
                     Rz5140(),
                     {{kLoad, kGood},
                      {kTur, kGood},
                      {kEject, kGood},
                      {kEject, kGood},
                      {kPrevent, kGood},
                      {kEject, kGood},
                      {kLoadImmediate, kGood},
                      {kTur, kMayHaveChanged},
                      {kEject, kRemovalPrevented}}},
        // The UNIT ATTENTION ends the next command whatever it is, except the three that never
        // take it; a second load is refused with it and then works.
        TraySequence{"UnitAttentionTakenByTheNextCommand",
                     Rz5140(),
                     {{kEject, kGood},
                      {kLoad, kGood},
                      {kInquiry, kGood},
                      {kGesnMedia, kGood},
                      {kLoad, kMayHaveChanged},
                      {kLoad, kGood},
                      {kModeSense10, kGood}}},
        // Its sense is kept as any refusal's: REQUEST SENSE reports it once.
        TraySequence{"UnitAttentionSenseKept",
                     Rz5140(),
                     {{kEject, kGood},
                      {kLoad, kGood},
                      {kReadCapacity, kMayHaveChanged},
                      {kRequestSense, kMayHaveChanged},
                      {kRequestSense, kGood},
                      {kReadCapacity, kGood}}},
        // REQUEST SENSE with nothing kept reports the pending UNIT ATTENTION and clears it.
        TraySequence{
            "UnitAttentionByRequestSense",
            Rz5140(),
            {{kEject, kGood}, {kLoad, kGood}, {kRequestSense, kMayHaveChanged}, {kTur, kGood}}},
        // A kept sense goes first, and the UNIT ATTENTION stays for the next command.
        TraySequence{"KeptSenseBeforeUnitAttention",
                     Rz5140(),
                     {{kEject, kGood},
                      {kLoad, kGood},
                      {kInquiryVpd, kInvalidField},
                      {kRequestSense, kInvalidField},
                      {kTur, kMayHaveChanged},
                      {kTur, kGood}}},
        // The spindle: start and stop, with a disc or without, change nothing the host sees.
        TraySequence{"SpindleStartStop",
                     Rz5140(),
                     {{kStop, kGood}, {kTur, kGood}, {kStart, kGood}, {kTur, kGood}}},
        TraySequence{
            "SpindleWithoutDisc",
            Rz6120(),
            {{kStop, kGood}, {kStart, kGood}, {kEject, kGood}, {kStart, kGood}, {kTur, kTrayOpen}}},
        TraySequence{"StartStopFieldsChecked",
                     Rz5140(),
                     {{kPowerConditionIdle, kInvalidField},
                      {kStartStopReservedByte4, kInvalidField},
                      {kStartStopReservedByte1, kInvalidField},
                      {kTur, kGood}}},
        // What works without a disc works the same with the tray open.
        TraySequence{"NoDiscCommandsWhileOpen",
                     Rz5140(),
                     {{kEject, kGood},
                      {kInquiry, kGood},
                      {kRequestSense, kGood},
                      {kModeSense10, kGood},
                      {kModeSense6, kGood},
                      {kModeSelect10Empty, kGood},
                      {kWriteBuffer, kGood},
                      {kVendorStatus, kGood},
                      {kSetCdSpeed, kGood},
                      {kRezero, kGood},
                      {kPrevent, kGood},
                      {kAllow, kGood},
                      {kGesnMedia, kGood},
                      {kTur, kTrayOpen}}},
        TraySequence{"StartsOpen",
                     WithTray(Rz5140(), "open"),
                     {{kTur, kTrayOpen}, {kLoad, kGood}, {kTur, kMayHaveChanged}, {kTur, kGood}}},
        TraySequence{"StartsClosed", WithTray(Rz5140(), "closed"), {{kTur, kGood}}}),
    [](const ::testing::TestParamInfo<TraySequence>& info) { return info.param.name; });

// GET EVENT STATUS NOTIFICATION, media class: header (event data length, NEA | class, supported
// classes 0x10) and the media event descriptor (event code, status: 0x01 tray open, 0x02 disc
// present; start and end slot 0).
struct GesnStep {
  Bytes cdb;      // a command before the poll (empty: none)
  Bytes request;  // the poll
  Bytes answer;
};

struct GesnSequence {
  std::string name;
  json target;
  std::vector<GesnStep> steps;
};

void PrintTo(const GesnSequence& c, std::ostream* out) {
  *out << c.name;
}

class GesnTest : public ::testing::TestWithParam<GesnSequence> {};

TEST_P(GesnTest, AnswersExactly) {
  const GesnSequence& c = GetParam();
  DeviceUnderTest drive(c.target);
  for (std::size_t i = 0; i < c.steps.size(); ++i) {
    const GesnStep& step = c.steps[i];
    // How the command before the poll ended shows in the poll's answer (a TUR may take the
    // UNIT ATTENTION of a load).
    if (!step.cdb.empty()) {
      Bytes data(64, 0);
      drive.In(step.cdb, data);
    }
    EXPECT_EQ(Answer(drive, step.request, 64), step.answer) << "step " << i;
  }
}

const Bytes kGesnHeaderOnly = Hex("4A 01 00 00 10 00 00 00 04 00");
const Bytes kGesnOperational = Hex("4A 01 00 00 04 00 00 00 08 00");
const Bytes kGesnNoClass = Hex("4A 01 00 00 00 00 00 00 08 00");
const Bytes kGesnEveryClass = Hex("4A 01 00 00 FE 00 00 00 08 00");

INSTANTIATE_TEST_SUITE_P(
    Events, GesnTest,
    ::testing::Values(
        GesnSequence{"DiscLoaded",
                     Rz5140(),
                     {{{}, kGesnMedia, Hex("00 06 04 10 00 02 00 00")},
                      {kEject, kGesnMedia, Hex("00 06 04 10 03 01 00 00")},
                      {{}, kGesnMedia, Hex("00 06 04 10 00 01 00 00")},
                      {kLoad, kGesnMedia, Hex("00 06 04 10 02 02 00 00")},
                      {{}, kGesnMedia, Hex("00 06 04 10 00 02 00 00")}}},
        GesnSequence{"EmptyTray",
                     Rz6120(),
                     {{{}, kGesnMedia, Hex("00 06 04 10 00 00 00 00")},
                      {kEject, kGesnMedia, Hex("00 06 04 10 00 01 00 00")},
                      {kLoad, kGesnMedia, Hex("00 06 04 10 00 00 00 00")}}},
        // Unpolled events: the latest replaces the earlier.
        GesnSequence{"EjectAndLoadBetweenPolls",
                     Rz5140(),
                     {{kEject, kGesnMedia, Hex("00 06 04 10 03 01 00 00")},
                      {kLoad, kGesnMedia, Hex("00 06 04 10 02 02 00 00")},
                      {kTur, kGesnMedia, Hex("00 06 04 10 00 02 00 00")}}},
        // The poll does not take the UNIT ATTENTION (kTur above did).
        GesnSequence{"StartsOpenThenLoaded",
                     WithTray(Rz5140(), "open"),
                     {{{}, kGesnMedia, Hex("00 06 04 10 00 01 00 00")},
                      {kLoad, kGesnMedia, Hex("00 06 04 10 02 02 00 00")},
                      {kTur, kGesnMedia, Hex("00 06 04 10 00 02 00 00")}}},
        // A header-only answer reports no event: the host did not receive it.
        GesnSequence{"HeaderOnlyKeepsTheEvent",
                     Rz5140(),
                     {{kEject, kGesnHeaderOnly, Hex("00 06 04 10")},
                      {{}, kGesnMedia, Hex("00 06 04 10 03 01 00 00")}}},
        // Classes the drive does not support: no event available, class 0, no descriptor.
        GesnSequence{"OtherClasses",
                     Rz5140(),
                     {{kEject, kGesnOperational, Hex("00 02 80 10")},
                      {{}, kGesnNoClass, Hex("00 02 80 10")},
                      {{}, kGesnEveryClass, Hex("00 06 04 10 03 01 00 00")}}}),
    [](const ::testing::TestParamInfo<GesnSequence>& info) { return info.param.name; });

TEST(GesnTest, RefusesAsynchronousNotification) {
  DeviceUnderTest drive(Rz5140());
  Bytes data(8, 0);
  EXPECT_EQ(SenseOf(drive.In(Hex("4A 00 00 00 10 00 00 00 08 00"), data)),
            sense::kInvalidFieldInCdb);
}

TEST(GesnTest, CutToTheAllocationLength) {
  DeviceUnderTest drive(Rz5140());
  EXPECT_EQ(Answer(drive, Hex("4A 01 00 00 10 00 00 00 02 00"), 64), Hex("00 06"));
  EXPECT_EQ(Answer(drive, Hex("4A 01 00 00 10 00 00 00 00 00"), 64), Bytes{});
}

// Page 0x2A byte 6: 0x29 (tray loading, eject, lock) and bit 1 while the host holds the lock.
TEST(TrayLockTest, CapabilitiesPageShowsTheLockState) {
  DeviceUnderTest drive(Rz5140());
  const auto mechanism = [&](std::uint8_t pageControl) {
    const Bytes page =
        Answer(drive, {0x5A, 0, std::uint8_t(pageControl << 6 | 0x2A), 0, 0, 0, 0, 0, 0x40, 0}, 64);
    return page.size() > 14 ? int(page[8 + 6]) : -1;
  };
  EXPECT_EQ(mechanism(0), 0x29);
  ASSERT_EQ(drive.NoData(kPrevent).status, kStatusGood);
  EXPECT_EQ(mechanism(0), 0x2B);
  EXPECT_EQ(mechanism(2), 0x29) << "default values";
  const Bytes six = Answer(drive, kModeSense6, 64);
  ASSERT_GT(six.size(), 12u + 6);
  EXPECT_EQ(six[12 + 6], 0x2B) << "MODE SENSE(6)";
  ASSERT_EQ(drive.NoData(kAllow).status, kStatusGood);
  EXPECT_EQ(mechanism(0), 0x29);
}

// The restart after a firmware save resets the drive: the host's lock is gone, the tray stays.
TEST(TrayLockTest, RestartReleasesTheLock) {
  DeviceUnderTest drive(Rz5140());
  ASSERT_EQ(drive.NoData(kPrevent).status, kStatusGood);
  for (const CommandResult& result :
       DownloadFirmware(drive, formats::MakeSampleImage(formats::kFormatB, "2.05", 11))) {
    ASSERT_EQ(result.status, kStatusGood);
  }
  drive.clock.Advance(2500);
  EXPECT_EQ(SenseOf(drive.NoData(kTur)), sense::kPowerOnReset);
  EXPECT_EQ(drive.NoData(kTur).status, kStatusGood);
  EXPECT_EQ(drive.NoData(kEject).status, kStatusGood);
  EXPECT_EQ(SenseOf(drive.NoData(kTur)), kTrayOpen);
}

}  // namespace
}  // namespace korvel::emulator::testing
