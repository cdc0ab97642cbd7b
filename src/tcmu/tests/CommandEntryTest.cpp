// One command entry: the CDB and direction the device gets, data gathered from and scattered to
// the iovecs, status, sense and read length written back byte for byte, and entries whose
// offsets point outside the region refused without touching the device.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "emulator/Command.h"
#include "emulator/DeviceFactory.h"
#include "emulator/Sense.h"
#include "emulator/VirtualClock.h"
#include "platform/testing/CaseNames.h"
#include "tcmu/CommandEntry.h"
#include "tcmu/CommandLogLine.h"
#include "tcmu/CommandRing.h"
#include "tcmu/DataDirection.h"
#include "tcmu/RingLayout.h"
#include "tcmu/tests/RingRegion.h"

namespace korvel::tcmu {
namespace {

using emulator::Direction;
using testing::Bytes;
using testing::Piece;
using testing::RingRegion;
using testing::ScriptedTarget;
namespace layout = ring_layout;

// Serves everything pending; the ring must stay sound.
std::vector<ServedCommand> Serve(RingRegion& region, emulator::ScsiTarget& device) {
  CommandRing ring(region.bytes());
  std::vector<ServedCommand> served;
  const RingPass pass =
      ring.ServePending(device, [&](const ServedCommand& command) { served.push_back(command); });
  EXPECT_FALSE(pass.fault) << *pass.fault;
  return served;
}

Bytes Sequence(std::size_t length, std::uint8_t first) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

Bytes SenseBuffer(const Bytes& fixed) {
  Bytes buffer(layout::kSenseSize, 0);
  std::copy(fixed.begin(), fixed.end(), buffer.begin());
  return buffer;
}

TEST(CommandEntryTest, DataOutIsGatheredFromEveryIovecInOrder) {
  RingRegion region;
  const Bytes first = Sequence(8000, 1);
  const Bytes second = Sequence(196, 9);
  region.PutData(0, first);
  region.PutData(16384, second);
  // WRITE BUFFER mode 4 with the initiator's 8196 bytes, in two pieces.
  const Bytes cdb{0x3B, 0x04, 0x00, 0x00, 0x20, 0x00, 0x00, 0x20, 0x00, 0x00};
  const std::size_t entry = region.PostCommand(cdb, {{0, 8000}, {16384, 196}});
  ScriptedTarget device;
  const auto served = Serve(region, device);
  ASSERT_EQ(device.calls.size(), 1u);
  EXPECT_EQ(device.calls[0].cdb, cdb);
  EXPECT_EQ(device.calls[0].direction, Direction::Out);
  Bytes expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(device.calls[0].data, expected);
  EXPECT_EQ(region.Status(entry), 0x00);
  EXPECT_EQ(region.UserFlags(entry) & layout::kReadLengthValid, 0);
  EXPECT_EQ(served[0].length, 8196u);
}

TEST(CommandEntryTest, ShortDataInIsScatteredAndReportsItsReadLength) {
  RingRegion region;
  region.PutData(0, Bytes(64, 0xAA));
  const std::size_t entry = region.PostCommand({0x12, 0, 0, 0, 0x60, 0}, {{0, 4}, {32, 92}});
  ScriptedTarget device;
  device.answer = Sequence(36, 0x40);
  Serve(region, device);
  ASSERT_EQ(device.calls.size(), 1u);
  EXPECT_EQ(device.calls[0].direction, Direction::In);
  EXPECT_EQ(device.calls[0].data.size(), 96u);
  EXPECT_EQ(region.Data(0, 4), Sequence(4, 0x40));
  EXPECT_EQ(region.Data(32, 32), Sequence(32, 0x44));
  // The bytes the device did not send are left as they were.
  EXPECT_EQ(region.Data(4, 28), Bytes(28, 0xAA));
  EXPECT_EQ(region.Status(entry), 0x00);
  EXPECT_EQ(region.UserFlags(entry), layout::kReadLengthValid);
  EXPECT_EQ(region.ReadLength(entry), 36u);
}

TEST(CommandEntryTest, FullDataInSetsNoReadLength) {
  RingRegion region;
  const std::size_t entry = region.PostCommand({0x12, 0, 0, 0, 0x24, 0}, {{0, 36}});
  ScriptedTarget device;
  device.answer = Sequence(36, 0);
  Serve(region, device);
  EXPECT_EQ(region.UserFlags(entry), 0);
  EXPECT_EQ(region.ReadLength(entry), 0u);
}

TEST(CommandEntryTest, ReadLengthIsLeftOutWhenTheKernelDoesNotTakeIt) {
  RingRegion region;
  region.Store32(layout::kVersion, layout::kMailboxVersion);  // flags cleared
  const std::size_t entry = region.PostCommand({0x12, 0, 0, 0, 0x60, 0}, {{0, 96}});
  ScriptedTarget device;
  device.answer = Sequence(36, 0);
  Serve(region, device);
  EXPECT_EQ(region.UserFlags(entry), 0);
  EXPECT_EQ(region.ReadLength(entry), 0u);
}

TEST(CommandEntryTest, CheckConditionCopiesTheFixedSenseIntoTheEntry) {
  RingRegion region;
  const std::size_t entry = region.PostCommand({0x46, 0x02, 0, 0, 0, 0, 0, 0, 0x08, 0}, {{0, 8}});
  ScriptedTarget device;
  device.result = emulator::CheckCondition(emulator::sense::kInvalidOpcode);
  Serve(region, device);
  EXPECT_EQ(region.Status(entry), 0x02);
  EXPECT_EQ(region.Sense(entry),
            SenseBuffer({0x70, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00,
                         0x20, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_EQ(region.UserFlags(entry), 0);
}

TEST(CommandEntryTest, DeviceThatDoesNotAnswerEndsTheCommandBusy) {
  RingRegion region;
  const std::size_t entry = region.PostCommand({0x00, 0, 0, 0, 0, 0}, {});
  ScriptedTarget device;
  device.result.answered = false;
  Serve(region, device);
  EXPECT_EQ(region.Status(entry), 0x08);
  EXPECT_EQ(region.Sense(entry), Bytes(layout::kSenseSize, 0));
}

TEST(CommandEntryTest, VendorCdbCutByTheKernelReachesTheDriveAtItsOwnLength) {
  RingRegion region;
  // READ DRIVE MEMORY: the kernel copies the 10 bytes of the 0xE0 group.
  region.PostCommand({0xE3, 0x00, 0x00, 0x10, 0x01, 0x98, 0x00, 0x00, 0x00, 0x04}, {{0, 4}});
  ScriptedTarget device;
  Serve(region, device);
  ASSERT_EQ(device.calls.size(), 1u);
  EXPECT_EQ(device.calls[0].cdb,
            (Bytes{0xE3, 0x00, 0x00, 0x10, 0x01, 0x98, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00}));
}

struct BadEntry {
  const char* name;
  void (*breakIt)(RingRegion&, std::size_t entry);
};

void PrintTo(const BadEntry& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class BadEntryTest : public ::testing::TestWithParam<BadEntry> {};

TEST_P(BadEntryTest, EndsWithInternalTargetFailureAndTheDeviceNeverSeesIt) {
  RingRegion region;
  const std::size_t entry = region.PostCommand({0x12, 0, 0, 0, 0x24, 0}, {{0, 36}});
  const std::size_t next = region.PostCommand({0x00, 0, 0, 0, 0, 0}, {});
  GetParam().breakIt(region, entry);
  ScriptedTarget device;
  const auto served = Serve(region, device);
  ASSERT_EQ(served.size(), 2u);
  EXPECT_FALSE(served[0].fault.empty());
  EXPECT_EQ(region.Status(entry), 0x02);
  EXPECT_EQ(region.Sense(entry),
            SenseBuffer({0x70, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00,
                         0x44, 0x00, 0x00, 0x00, 0x00, 0x00}));
  // The ring goes on with the next entry.
  ASSERT_EQ(device.calls.size(), 1u);
  EXPECT_EQ(device.calls[0].cdb, (Bytes{0x00, 0, 0, 0, 0, 0}));
  EXPECT_EQ(region.Status(next), 0x00);
  EXPECT_EQ(region.tail(), region.head());
}

std::size_t Iov(std::size_t entry, std::size_t index) {
  return entry + layout::kIovArray + index * layout::kIovSize;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadEntryTest,
    ::testing::Values(BadEntry{"CdbOffsetOutsideTheRegion",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store64(e + layout::kCdbOffset, r.bytes().size());
                               }},
                      BadEntry{"CdbRunningPastTheRegion",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store64(e + layout::kCdbOffset, r.bytes().size() - 2);
                                 r.bytes()[r.bytes().size() - 2] = 0x28;
                               }},
                      BadEntry{"IovecInTheRing",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store64(Iov(e, 0) + layout::kIovBase, r.ringOffset());
                               }},
                      BadEntry{"IovecPastTheRegion",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store64(Iov(e, 0) + layout::kIovLength, r.bytes().size());
                               }},
                      BadEntry{"IovecLengthWrappingAround",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store64(Iov(e, 0) + layout::kIovLength, ~std::uint64_t{0} - 8);
                               }},
                      BadEntry{"MoreIovecsThanTheEntryHolds",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store32(e + layout::kIovCount, 0xFFFFFFFF);
                               }},
                      BadEntry{"DifIovecsPastTheEntry",
                               [](RingRegion& r, std::size_t e) {
                                 r.Store32(e + layout::kIovDifCount, 5);
                               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandEntryTest, IovecsAddingUpToMoreThanTheDataAreaAreRefused) {
  RingRegion region(4096, 4096);
  // Three pieces over the same 2048 bytes: each inside the data area, together too long.
  const std::size_t entry = region.PostCommand({0x3B, 0x04, 0, 0, 0, 0, 0, 0x18, 0, 0},
                                               {{0, 2048}, {0, 2048}, {0, 2048}});
  ScriptedTarget device;
  const auto served = Serve(region, device);
  EXPECT_EQ(served[0].fault, "iovecs longer than the data area: 0x1800");
  EXPECT_EQ(region.Status(entry), 0x02);
  EXPECT_TRUE(device.calls.empty());
}

struct DirectionCase {
  std::uint8_t opcode;
  Direction direction;
};

TEST(DataDirectionTest, DataOutOnlyForCommandsThatSendData) {
  const DirectionCase cases[] = {
      {0x3B, Direction::Out}, {0x15, Direction::Out}, {0x55, Direction::Out},
      {0x2A, Direction::Out}, {0xE2, Direction::Out}, {0x00, Direction::In},
      {0x01, Direction::In},  {0x12, Direction::In},  {0x5A, Direction::In},
      {0x46, Direction::In},  {0xE3, Direction::In},  {0x3C, Direction::In},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirectionOf(c.opcode), c.direction) << std::hex << int{c.opcode};
  }
}

TEST(CommandEntryTest, KernelCdbLengthFollowsTheOpcodeGroup) {
  const std::pair<std::uint8_t, std::size_t> cases[] = {
      {0x00, 6},  {0x1F, 6},  {0x20, 10}, {0x5F, 10}, {0x60, 12}, {0x7F, 16},
      {0x88, 16}, {0xA8, 12}, {0xBE, 12}, {0xC0, 10}, {0xE3, 10}, {0xFF, 10},
  };
  for (const auto& [opcode, length] : cases) {
    EXPECT_EQ(KernelCdbLength(opcode), length) << std::hex << int{opcode};
  }
}

TEST(CommandLogLineTest, SaysWhatTheKernelAskedAndHowItEnded) {
  ServedCommand served;
  served.cdb = {0x12, 0x00, 0x00, 0x00, 0x60, 0x00};
  served.length = 96;
  served.result.transferred = 36;
  EXPECT_EQ(CommandLogLine(served), "cdb 12 00 00 00 60 00, in 96: GOOD, 36 moved");
  served.cdb = {0x46, 0x02, 0, 0, 0, 0, 0, 0, 0x08, 0};
  served.length = 8;
  served.result = emulator::CheckCondition(emulator::sense::kInvalidOpcode);
  EXPECT_EQ(CommandLogLine(served),
            "cdb 46 02 00 00 00 00 00 00 08 00, in 8: CHECK CONDITION 05/20/00");
  served.fault = "iovec outside the data area at 0x80";
  served.result = emulator::CheckCondition(kInternalTargetFailure);
  EXPECT_EQ(CommandLogLine(served),
            "entry refused (iovec outside the data area at 0x80): CHECK CONDITION 04/44/00");
}

// The emulated drive itself behind the ring, as korvel-tcmu runs it.
TEST(CommandEntryTest, EmulatedDriveAnswersThroughTheRing) {
  emulator::VirtualClock clock;
  const auto config = emulator::ParseDeviceConfig(
      {{"vendor", "KORVEL"}, {"product", "CD-R   RZ6120"}, {"revision", "1.00"}}, "target");
  const auto drive = emulator::MakeDevice(config, clock);
  RingRegion region;
  const std::size_t inquiry = region.PostCommand({0x12, 0, 0, 0, 0x60, 0}, {{0, 96}});
  const std::size_t ready = region.PostCommand({0x00, 0, 0, 0, 0, 0}, {});
  const auto served = Serve(region, *drive);
  ASSERT_EQ(served.size(), 2u);
  EXPECT_EQ(region.Status(inquiry), 0x00);
  const Bytes identity = region.Data(8, 28);
  EXPECT_EQ(std::string(identity.begin(), identity.end()), "KORVEL  CD-R   RZ6120   1.00");
  EXPECT_EQ(region.UserFlags(inquiry), layout::kReadLengthValid);
  EXPECT_EQ(region.ReadLength(inquiry), served[0].result.transferred);
  EXPECT_LT(served[0].result.transferred, 96u);
  // No disc in the drive, its tray closed.
  EXPECT_EQ(region.Status(ready), 0x02);
  EXPECT_EQ(emulator::SenseCodeOf(served[1].result.sense),
            emulator::sense::kMediumNotPresentTrayClosed);
  EXPECT_EQ(region.Sense(ready)[2], 0x02);
  EXPECT_EQ(region.Sense(ready)[12], 0x3A);
  EXPECT_EQ(region.Sense(ready)[13], 0x01);
}

// The sense goes to the kernel with the CHECK CONDITION: the drive has delivered it then, so a
// REQUEST SENSE after it (the kernel's, or an initiator's through sg) finds none left.
TEST(CommandEntryTest, SenseDeliveredThroughTheRingIsNotKeptByTheDrive) {
  emulator::VirtualClock clock;
  const auto config = emulator::ParseDeviceConfig(
      {{"vendor", "KORVEL"}, {"product", "CD-R   RZ6120"}, {"revision", "1.00"}}, "target");
  const auto drive = emulator::MakeDevice(config, clock);
  RingRegion region;
  // A vendor opcode this model does not know, then REQUEST SENSE for 18 bytes.
  const std::size_t refused = region.PostCommand({0xD0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {});
  const std::size_t sense = region.PostCommand({0x03, 0, 0, 0, 18, 0}, {{0, 18}});
  region.PutData(0, Bytes(18, 0xEE));
  ASSERT_EQ(Serve(region, *drive).size(), 2u);
  EXPECT_EQ(region.Status(refused), 0x02);
  EXPECT_EQ(region.Sense(refused),
            SenseBuffer({0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20, 0x00, 0, 0, 0, 0}));
  EXPECT_EQ(region.Status(sense), 0x00);
  EXPECT_EQ(region.Data(0, 18),
            (Bytes{0x70, 0, 0x00, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x00, 0x00, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace korvel::tcmu
