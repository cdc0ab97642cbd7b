#include "tcmu/CommandRing.h"

#include <atomic>

#include "tcmu/RingLayout.h"

namespace korvel::tcmu {
namespace {

namespace layout = ring_layout;

std::string At(const char* what, std::uint32_t value) {
  return what + std::to_string(value);
}

}  // namespace

CommandRing::CommandRing(std::span<std::uint8_t> region) : region_(region) {
  if (region.size() < layout::kMailboxSize) {
    throw RingError("the shared region (" + std::to_string(region.size()) +
                    " bytes) is too small for the mailbox");
  }
  const auto version = LoadField<std::uint16_t>(region, layout::kVersion);
  if (version != 1 && version != layout::kMailboxVersion) {
    throw RingError(At("the mailbox has version ", version) + ", not 1 or 2");
  }
  ringOffset_ = LoadField<std::uint32_t>(region, layout::kRingOffset);
  ringSize_ = LoadField<std::uint32_t>(region, layout::kRingSize);
  if (ringOffset_ < layout::kMailboxSize || ringSize_ < layout::kCommandEntrySize ||
      ringSize_ % layout::kAlignment != 0 || !Fits(ringOffset_, ringSize_, region.size())) {
    throw RingError("the mailbox places a ring of " + std::to_string(ringSize_) +
                    " bytes at offset " + std::to_string(ringOffset_) +
                    ", not inside the shared region of " + std::to_string(region.size()) +
                    " bytes");
  }
  geometry_.dataStart = std::size_t{ringOffset_} + ringSize_;
  const auto flags = LoadField<std::uint16_t>(region, layout::kFlags);
  geometry_.readLengthTaken = (flags & layout::kCanReportReadLength) != 0;
}

RingPass CommandRing::ServePending(emulator::ScsiTarget& target, const CommandObserver& observe) {
  RingPass pass;
  const auto head = LoadField<std::uint32_t>(region_, layout::kHead);
  // The entries up to the head were written before the head moved.
  std::atomic_thread_fence(std::memory_order_acquire);
  auto tail = LoadField<std::uint32_t>(region_, layout::kTail);
  if (head >= ringSize_ || head % layout::kAlignment != 0) {
    pass.fault = At("the ring's head lies outside the ring: ", head);
    return pass;
  }
  if (tail >= ringSize_ || tail % layout::kAlignment != 0) {
    pass.fault = At("the ring's tail lies outside the ring: ", tail);
    return pass;
  }
  // Every entry is at least one aligned unit long, so a whole ring holds no more than this.
  const std::uint32_t mostEntries = ringSize_ / layout::kAlignment;
  for (std::uint32_t step = 0; tail != head && step < mostEntries; ++step) {
    const std::uint32_t pending = (head + ringSize_ - tail) % ringSize_;
    const std::size_t entry = std::size_t{ringOffset_} + tail;
    const auto lengthAndType = LoadField<std::uint32_t>(region_, entry + layout::kLengthAndType);
    const std::uint32_t length = lengthAndType & ~layout::kTypeMask;
    const std::uint32_t type = lengthAndType & layout::kTypeMask;
    // Entries never wrap: the kernel pads to the end of the ring first.
    if (length == 0 || length > pending || length > ringSize_ - tail) {
      pass.fault = At("the entry at ring offset ", tail) + " has a length of " +
                   std::to_string(length) + " bytes, with " + std::to_string(pending) +
                   " bytes pending";
      return pass;
    }
    if (type == layout::kTypeCommand) {
      if (length < layout::kCommandEntrySize) {
        pass.fault = At("the command entry at ring offset ", tail) + " is too short (" +
                     std::to_string(length) + " bytes) for its response";
        return pass;
      }
      const ServedCommand served = ServeCommandEntry(region_, geometry_, entry, length, target);
      ++pass.commands;
      if (observe) observe(served);
    }
    // Padding, and notifications this back end has not asked for, are only stepped over.
    tail = (tail + length) % ringSize_;
    // The response is complete before the kernel can see the tail move past it.
    std::atomic_thread_fence(std::memory_order_release);
    StoreField(region_, layout::kTail, tail);
    pass.tailMoved = true;
  }
  return pass;
}

}  // namespace korvel::tcmu
