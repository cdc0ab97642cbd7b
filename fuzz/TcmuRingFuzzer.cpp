// The TCM user ring walk on any shared region: the input is the whole region (mailbox, ring and
// data area) as the kernel could have left it. The walk must refuse a mailbox it cannot use with
// a RingError, serve or refuse every entry without touching memory outside the region, hand the
// device only buffers inside it, and leave the tail where the kernel can use it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/ScsiTarget.h"
#include "tcmu/CommandRing.h"
#include "tcmu/RingLayout.h"

namespace {

namespace layout = korvel::tcmu::ring_layout;
using korvel::emulator::CommandResult;
using korvel::emulator::Direction;

// Far more than a ring of this program's devices maps; keeps each run quick.
constexpr std::size_t kMaxRegion = 1 << 20;

// A device that reads every byte it is given and fills every byte it returns, so that a buffer
// outside the region shows under AddressSanitizer; a few opcodes end in CHECK CONDITION.
class TouchingTarget : public korvel::emulator::ScsiTarget {
 public:
  CommandResult Execute(std::span<const std::uint8_t> cdb, Direction direction,
                        std::span<std::uint8_t> data) override {
    if (cdb.empty()) __builtin_trap();
    std::uint8_t sum = 0;
    for (std::uint8_t byte : cdb) sum ^= byte;
    if (direction == Direction::Out) {
      for (std::uint8_t byte : data) sum ^= byte;
    } else {
      for (std::uint8_t& byte : data) byte = sum;
    }
    CommandResult result;
    if (cdb[0] == 0x03 || (cdb[0] & 0x1F) == 0x1F) {
      result.status = korvel::emulator::kStatusCheckCondition;
      result.sense[0] = 0x70;
      result.sense[2] = 0x05;
    } else {
      // Short data-in now and then, as a real device may report.
      result.transferred =
          static_cast<std::uint32_t>(data.size() - (sum & 1 ? data.size() / 2 : 0));
    }
    return result;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxRegion) return 0;
  // The region exactly as large as the input, so that any read or write past it is caught.
  std::vector<std::uint8_t> region(data, data + size);
  try {
    korvel::tcmu::CommandRing ring(region);
    if (!korvel::tcmu::Fits(ring.ringOffset(), ring.ringSize(), region.size())) __builtin_trap();
    TouchingTarget device;
    std::size_t observed = 0;
    const auto pass =
        ring.ServePending(device, [&](const korvel::tcmu::ServedCommand&) { ++observed; });
    if (pass.commands > observed) __builtin_trap();
    if (!pass.fault) {
      // The walk went round to the head: the tail is a place in the ring the kernel accepts,
      // and a second wake-up with nothing new posted serves nothing.
      const auto tail = korvel::tcmu::LoadField<std::uint32_t>(region, layout::kTail);
      const auto head = korvel::tcmu::LoadField<std::uint32_t>(region, layout::kHead);
      if (tail != head || tail >= ring.ringSize() || tail % layout::kAlignment != 0) {
        __builtin_trap();
      }
      if (ring.ServePending(device, nullptr).commands != 0) __builtin_trap();
    }
  } catch (const korvel::tcmu::RingError&) {
  }
  return 0;
}
