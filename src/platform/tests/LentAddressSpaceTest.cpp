#include "platform/LentAddressSpace.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace korvel::platform {
namespace {

TEST(LentAddressSpaceTest, NullBufferMapsToZero) {
  LentAddressSpace space;
  EXPECT_EQ(space.Map(nullptr, 10), 0u);
}

TEST(LentAddressSpaceTest, ResolvesInsideTheRangeOnly) {
  LentAddressSpace space;
  std::array<std::uint8_t, 100> buffer{};
  Address32 address = space.Map(buffer.data(), buffer.size());
  ASSERT_NE(address, 0u);
  EXPECT_EQ(space.Resolve(address, 100), buffer.data());
  EXPECT_EQ(space.Resolve(address + 40, 60), buffer.data() + 40);
  EXPECT_EQ(space.Resolve(address + 40, 61), nullptr);
  EXPECT_EQ(space.Resolve(address - 1, 1), nullptr);
  space.Unmap(address);
  EXPECT_EQ(space.Resolve(address, 1), nullptr);
}

TEST(LentAddressSpaceTest, LiveRangesNeverOverlapAndAddressesAreReused) {
  LentAddressSpace space;
  std::vector<std::uint8_t> a(70000), b(10), c(10);
  Address32 first = space.Map(a.data(), a.size());
  Address32 second = space.Map(b.data(), b.size());
  EXPECT_GE(second, first + a.size());
  space.Unmap(first);
  space.Unmap(second);
  for (int i = 0; i < 100000; ++i) {  // far more maps than fit without reuse
    MappedBuffer mapped(space, c.data(), c.size());
    ASSERT_EQ(space.Resolve(mapped.address(), c.size()), c.data());
  }
}

}  // namespace
}  // namespace korvel::platform
