#include "tcmu/tests/RingRegion.h"

#include <algorithm>
#include <stdexcept>

#include "tcmu/RingLayout.h"

namespace korvel::tcmu::testing {
namespace {

namespace layout = ring_layout;

constexpr std::uint32_t RoundUp(std::size_t value) {
  return static_cast<std::uint32_t>((value + layout::kAlignment - 1) / layout::kAlignment *
                                    layout::kAlignment);
}

}  // namespace

RingRegion::RingRegion(std::uint32_t ringSize, std::size_t dataSize)
    : bytes_(layout::kMailboxSize + ringSize + dataSize) {
  StoreField<std::uint16_t>(bytes_, layout::kVersion, layout::kMailboxVersion);
  StoreField<std::uint16_t>(bytes_, layout::kFlags, layout::kCanReportReadLength);
  StoreField<std::uint32_t>(bytes_, layout::kRingOffset, layout::kMailboxSize);
  StoreField<std::uint32_t>(bytes_, layout::kRingSize, ringSize);
}

std::size_t RingRegion::ringOffset() const {
  return layout::kMailboxSize;
}

std::size_t RingRegion::dataStart() const {
  return layout::kMailboxSize + LoadField<std::uint32_t>(bytes_, layout::kRingSize);
}

std::size_t RingRegion::PostEntry(std::uint32_t type, std::uint32_t length) {
  const std::uint32_t at = head();
  const std::size_t entry = ringOffset() + at;
  StoreField<std::uint32_t>(bytes_, entry + layout::kLengthAndType, length | type);
  const auto ringSize = LoadField<std::uint32_t>(bytes_, layout::kRingSize);
  SetHead((at + length) % ringSize);
  return entry;
}

std::size_t RingRegion::PostCommand(const Bytes& cdb, const std::vector<Piece>& pieces,
                                    std::uint16_t commandId) {
  const std::uint32_t base = RoundUp(layout::kCommandEntrySize + pieces.size() * layout::kIovSize);
  const std::uint32_t length = RoundUp(base + cdb.size());
  const auto ringSize = LoadField<std::uint32_t>(bytes_, layout::kRingSize);
  if (length > ringSize) throw std::logic_error("entry longer than the ring");
  if (ringSize - head() < length) PostEntry(layout::kTypePad, ringSize - head());
  const std::size_t entry = ringOffset() + head();
  std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(entry), length, std::uint8_t{0xEE});
  StoreField<std::uint32_t>(bytes_, entry + layout::kLengthAndType, length | layout::kTypeCommand);
  StoreField<std::uint16_t>(bytes_, entry + layout::kCommandId, commandId);
  bytes_[entry + layout::kUserFlags] = 0;
  Store32(entry + layout::kIovCount, static_cast<std::uint32_t>(pieces.size()));
  Store32(entry + layout::kIovBidiCount, 0);
  Store32(entry + layout::kIovDifCount, 0);
  Store64(entry + layout::kCdbOffset, entry + base);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::size_t iov = entry + layout::kIovArray + i * layout::kIovSize;
    Store64(iov + layout::kIovBase, dataStart() + pieces[i].offset);
    Store64(iov + layout::kIovLength, pieces[i].length);
  }
  std::copy(cdb.begin(), cdb.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(entry + base));
  SetHead((head() + length) % ringSize);
  return entry;
}

std::uint32_t RingRegion::head() const {
  return LoadField<std::uint32_t>(bytes_, layout::kHead);
}
std::uint32_t RingRegion::tail() const {
  return LoadField<std::uint32_t>(bytes_, layout::kTail);
}
void RingRegion::SetHead(std::uint32_t head) {
  Store32(layout::kHead, head);
}
void RingRegion::SetTail(std::uint32_t tail) {
  Store32(layout::kTail, tail);
}

void RingRegion::Store32(std::size_t offset, std::uint32_t value) {
  StoreField(std::span(bytes_), offset, value);
}

void RingRegion::Store64(std::size_t offset, std::uint64_t value) {
  StoreField(std::span(bytes_), offset, value);
}

std::uint8_t RingRegion::Status(std::size_t entry) const {
  return bytes_[entry + layout::kStatus];
}

std::uint8_t RingRegion::UserFlags(std::size_t entry) const {
  return bytes_[entry + layout::kUserFlags];
}

std::uint32_t RingRegion::ReadLength(std::size_t entry) const {
  return LoadField<std::uint32_t>(bytes_, entry + layout::kReadLength);
}

Bytes RingRegion::Sense(std::size_t entry) const {
  const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(entry + layout::kSense);
  return Bytes(begin, begin + layout::kSenseSize);
}

void RingRegion::PutData(std::uint64_t offset, const Bytes& data) {
  std::copy(data.begin(), data.end(),
            bytes_.begin() + static_cast<std::ptrdiff_t>(dataStart() + offset));
}

Bytes RingRegion::Data(std::uint64_t offset, std::size_t length) const {
  const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(dataStart() + offset);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(length));
}

emulator::CommandResult ScriptedTarget::Execute(std::span<const std::uint8_t> cdb,
                                                emulator::Direction direction,
                                                std::span<std::uint8_t> data) {
  calls.push_back({Bytes(cdb.begin(), cdb.end()), direction, Bytes(data.begin(), data.end())});
  emulator::CommandResult reply = result;
  if (direction == emulator::Direction::In && !answer.empty()) {
    const std::size_t count = std::min(answer.size(), data.size());
    std::copy_n(answer.begin(), count, data.begin());
    reply.transferred = static_cast<std::uint32_t>(count);
  }
  return reply;
}

}  // namespace korvel::tcmu::testing
