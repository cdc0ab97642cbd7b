// The ring walk over an in-memory region: commands in order, padding and notifications stepped
// over, wrap-around, and headers or mailboxes that cannot be trusted refused without a crash.
#include <gtest/gtest.h>

#include "platform/testing/CaseNames.h"
#include "tcmu/CommandRing.h"
#include "tcmu/RingLayout.h"
#include "tcmu/tests/RingRegion.h"

namespace korvel::tcmu {
namespace {

using testing::Bytes;
using testing::Piece;
using testing::RingRegion;
using testing::ScriptedTarget;
namespace layout = ring_layout;

const Bytes kTestUnitReady{0x00, 0, 0, 0, 0, 0};

TEST(CommandRingTest, EmptyRingLeavesTheTailAlone) {
  RingRegion region;
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  const RingPass pass = ring.ServePending(device, nullptr);
  EXPECT_EQ(pass.commands, 0u);
  EXPECT_FALSE(pass.tailMoved);
  EXPECT_FALSE(pass.fault);
  EXPECT_TRUE(device.calls.empty());
}

TEST(CommandRingTest, ServesPendingCommandsInOrderAndMovesTheTailToTheHead) {
  RingRegion region;
  region.PostCommand({0x00, 0, 0, 0, 0, 0}, {}, 7);
  region.PostCommand({0x12, 0, 0, 0, 0x24, 0}, {{0, 36}}, 8);
  region.PostCommand({0x03, 0, 0, 0, 0x12, 0}, {{64, 18}}, 9);
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  std::vector<std::uint16_t> ids;
  const RingPass pass = ring.ServePending(
      device, [&](const ServedCommand& served) { ids.push_back(served.commandId); });
  EXPECT_EQ(pass.commands, 3u);
  EXPECT_TRUE(pass.tailMoved);
  EXPECT_FALSE(pass.fault);
  EXPECT_EQ(region.tail(), region.head());
  EXPECT_EQ(ids, (std::vector<std::uint16_t>{7, 8, 9}));
  ASSERT_EQ(device.calls.size(), 3u);
  EXPECT_EQ(device.calls[0].cdb, kTestUnitReady);
  EXPECT_EQ(device.calls[1].cdb, (Bytes{0x12, 0, 0, 0, 0x24, 0}));
  EXPECT_EQ(device.calls[1].data.size(), 36u);
  EXPECT_EQ(device.calls[2].data.size(), 18u);
}

TEST(CommandRingTest, StepsOverPaddingAndWrapsAroundTheRing) {
  // A ring of 512 bytes holds four 120-byte TEST UNIT READY entries before it must wrap.
  RingRegion region(512);
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  std::size_t served = 0;
  bool wrapped = false;
  for (std::uint16_t id = 1; id <= 10; ++id) {
    const std::uint32_t before = region.head();
    const std::size_t entry = region.PostCommand(kTestUnitReady, {}, id);
    wrapped = wrapped || (entry == region.ringOffset() && before != 0);
    const RingPass pass = ring.ServePending(device, nullptr);
    ASSERT_FALSE(pass.fault) << *pass.fault;
    served += pass.commands;
    EXPECT_EQ(region.tail(), region.head()) << "command " << id;
  }
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(served, 10u);
  EXPECT_EQ(device.calls.size(), 10u);
}

TEST(CommandRingTest, ServesEntriesThatWrapInOnePass) {
  RingRegion region(512);
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  for (std::uint16_t id = 1; id <= 3; ++id) region.PostCommand(kTestUnitReady, {}, id);
  ASSERT_EQ(ring.ServePending(device, nullptr).commands, 3u);
  // Two more: the second needs padding to the end of the ring and lands at its start.
  region.PostCommand(kTestUnitReady, {}, 4);
  const std::size_t last = region.PostCommand(kTestUnitReady, {}, 5);
  ASSERT_EQ(last, region.ringOffset());
  std::vector<std::uint16_t> ids;
  const RingPass pass = ring.ServePending(
      device, [&](const ServedCommand& served) { ids.push_back(served.commandId); });
  EXPECT_EQ(pass.commands, 2u);
  EXPECT_EQ(ids, (std::vector<std::uint16_t>{4, 5}));
  EXPECT_EQ(region.tail(), region.head());
}

TEST(CommandRingTest, StepsOverNotificationsItDidNotAskFor) {
  RingRegion region;
  region.PostEntry(layout::kTypeTaskManagement, 64);
  region.PostCommand(kTestUnitReady, {});
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  const RingPass pass = ring.ServePending(device, nullptr);
  EXPECT_EQ(pass.commands, 1u);
  EXPECT_EQ(region.tail(), region.head());
}

struct BrokenRing {
  const char* name;
  void (*breakIt)(RingRegion&);
};

void PrintTo(const BrokenRing& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class BrokenRingTest : public ::testing::TestWithParam<BrokenRing> {};

TEST_P(BrokenRingTest, StopsWithAFaultAfterTheLastGoodEntry) {
  RingRegion region;
  region.PostCommand(kTestUnitReady, {}, 1);
  const std::uint32_t afterGood = region.head();
  GetParam().breakIt(region);
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  const RingPass pass = ring.ServePending(device, nullptr);
  ASSERT_TRUE(pass.fault);
  // Faults of the head or tail are found before any entry is served.
  if (region.tail() != 0) {
    EXPECT_EQ(region.tail(), afterGood);
    EXPECT_EQ(pass.commands, 1u);
  }
  EXPECT_LE(device.calls.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenRingTest,
    ::testing::Values(BrokenRing{"EntryOfLengthZero",
                                 [](RingRegion& r) {
                                   r.PostEntry(layout::kTypeCommand, 0);
                                   r.SetHead(r.head() + 144);
                                 }},
                      BrokenRing{"EntryPastTheHead",
                                 [](RingRegion& r) {
                                   const std::size_t entry = r.PostCommand({0, 0, 0, 0, 0, 0}, {});
                                   r.Store32(entry, 4000 | layout::kTypeCommand);
                                 }},
                      BrokenRing{"CommandTooShortForItsResponse",
                                 [](RingRegion& r) { r.PostEntry(layout::kTypeCommand, 32); }},
                      BrokenRing{"HeadPastTheRing", [](RingRegion& r) { r.SetHead(4096); }},
                      BrokenRing{"HeadNotAligned", [](RingRegion& r) { r.SetHead(r.head() + 4); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandRingTest, EntryRunningPastTheRingEndIsAFault) {
  // Entries never wrap; this one claims 1024 bytes from 96 bytes before the end of the ring.
  RingRegion region;
  region.SetTail(4000);
  region.Store32(region.ringOffset() + 4000, 1024 | layout::kTypePad);
  region.SetHead(1104);
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  const RingPass pass = ring.ServePending(device, nullptr);
  ASSERT_TRUE(pass.fault);
  EXPECT_EQ(*pass.fault,
            "the entry at ring offset 4000 has a length of 1024 bytes, with 1200 bytes pending");
  EXPECT_EQ(region.tail(), 4000u);
}

TEST(CommandRingTest, FaultOfTheTailMovesNothing) {
  RingRegion region;
  region.PostCommand(kTestUnitReady, {});
  region.SetTail(8192);
  CommandRing ring(region.bytes());
  ScriptedTarget device;
  const RingPass pass = ring.ServePending(device, nullptr);
  ASSERT_TRUE(pass.fault);
  EXPECT_EQ(*pass.fault, "the ring's tail lies outside the ring: 8192");
  EXPECT_EQ(region.tail(), 8192u);
  EXPECT_TRUE(device.calls.empty());
}

struct BadMailbox {
  const char* name;
  std::size_t offset;
  std::uint32_t value;
};

void PrintTo(const BadMailbox& c, std::ostream* os) {
  case_names::PrintText(c.name, os);
}

class BadMailboxTest : public ::testing::TestWithParam<BadMailbox> {};

TEST_P(BadMailboxTest, IsRefusedWhenTheRingIsMade) {
  RingRegion region;
  region.Store32(GetParam().offset, GetParam().value);
  EXPECT_THROW(CommandRing ring(region.bytes()), RingError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadMailboxTest,
    ::testing::Values(BadMailbox{"UnknownVersion", layout::kVersion, 3 | 0x00020000},
                      BadMailbox{"RingInsideTheMailbox", layout::kRingOffset, 16},
                      BadMailbox{"RingPastTheRegion", layout::kRingOffset, 0x7FFFFFF0},
                      BadMailbox{"RingLongerThanTheRegion", layout::kRingSize, 0xFFFFFFF8},
                      BadMailbox{"RingSizeNotAligned", layout::kRingSize, 4092},
                      BadMailbox{"EmptyRing", layout::kRingSize, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandRingTest, RegionSmallerThanTheMailboxIsRefused) {
  std::vector<std::uint8_t> tiny(layout::kMailboxSize - 1);
  EXPECT_THROW(CommandRing ring(tiny), RingError);
}

TEST(CommandRingTest, DataAreaStartsAfterTheRingAndReadLengthFollowsTheMailbox) {
  RingRegion region(4096, 8192);
  CommandRing ring(region.bytes());
  EXPECT_EQ(ring.geometry().dataStart, layout::kMailboxSize + 4096);
  EXPECT_TRUE(ring.geometry().readLengthTaken);
}

}  // namespace
}  // namespace korvel::tcmu
