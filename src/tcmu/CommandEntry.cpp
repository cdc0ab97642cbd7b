#include "tcmu/CommandEntry.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "emulator/Command.h"
#include "formats/ScsiOpcodes.h"
#include "tcmu/DataDirection.h"
#include "tcmu/RingLayout.h"

namespace korvel::tcmu {
namespace {

namespace layout = ring_layout;
using emulator::CommandResult;
using emulator::Direction;

// Long enough for every CDB the kernel copies for the commands a drive answers.
constexpr std::size_t kLongestCdb = 16;

struct Request {
  std::array<std::uint8_t, kLongestCdb> cdb{};
  std::size_t cdbLength = 0;
  // Pieces of the data area, in transfer order.
  std::vector<std::span<std::uint8_t>> pieces;
  std::uint64_t length = 0;
  std::string fault;
};

std::string Describe(const char* what, std::uint64_t value) {
  std::array<char, 96> text{};
  std::snprintf(text.data(), text.size(), "%s 0x%llx", what,
                static_cast<unsigned long long>(value));
  return text.data();
}

// Everything the response will overwrite is read here, before the device runs.
Request ReadRequest(std::span<std::uint8_t> region, const RegionGeometry& geometry,
                    std::size_t entryOffset, std::size_t entryLength) {
  Request request;
  const auto cdbOffset = LoadField<std::uint64_t>(region, entryOffset + layout::kCdbOffset);
  if (!Fits(cdbOffset, 1, region.size())) {
    request.fault = Describe("CDB offset outside the region:", cdbOffset);
    return request;
  }
  request.cdbLength = KernelCdbLength(region[cdbOffset]);
  if (!Fits(cdbOffset, request.cdbLength, region.size())) {
    request.cdbLength = 0;
    request.fault = Describe("CDB runs past the end of the region at", cdbOffset);
    return request;
  }
  std::copy_n(region.begin() + static_cast<std::ptrdiff_t>(cdbOffset), request.cdbLength,
              request.cdb.begin());

  const auto count = LoadField<std::uint32_t>(region, entryOffset + layout::kIovCount);
  const auto bidi = LoadField<std::uint32_t>(region, entryOffset + layout::kIovBidiCount);
  const auto dif = LoadField<std::uint32_t>(region, entryOffset + layout::kIovDifCount);
  // Every iovec the kernel lists must lie inside the entry itself.
  const std::uint64_t listed = std::uint64_t{count} + bidi + dif;
  if (listed * layout::kIovSize > entryLength - layout::kIovArray) {
    request.fault = Describe("more iovecs than the entry holds:", listed);
    return request;
  }
  const std::uint64_t dataSize = region.size() - geometry.dataStart;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = entryOffset + layout::kIovArray + i * layout::kIovSize;
    const auto base = LoadField<std::uint64_t>(region, at + layout::kIovBase);
    const auto length = LoadField<std::uint64_t>(region, at + layout::kIovLength);
    if (base < geometry.dataStart || !Fits(base, length, region.size())) {
      request.fault = Describe("iovec outside the data area at", base);
      return request;
    }
    request.length += length;
    // Pieces may not add up to more than the data area: the kernel never lends more.
    if (request.length > dataSize) {
      request.fault = Describe("iovecs longer than the data area:", request.length);
      return request;
    }
    request.pieces.push_back(region.subspan(base, length));
  }
  return request;
}

void Gather(const std::vector<std::span<std::uint8_t>>& pieces, std::span<std::uint8_t> buffer) {
  auto out = buffer.begin();
  for (auto piece : pieces) out = std::copy(piece.begin(), piece.end(), out);
}

void Scatter(std::span<const std::uint8_t> bytes,
             const std::vector<std::span<std::uint8_t>>& pieces) {
  for (auto piece : pieces) {
    if (bytes.empty()) return;
    const std::size_t count = std::min(piece.size(), bytes.size());
    std::copy_n(bytes.begin(), count, piece.begin());
    bytes = bytes.subspan(count);
  }
}

void WriteResponse(std::span<std::uint8_t> region, const RegionGeometry& geometry,
                   std::size_t entryOffset, const CommandResult& result,
                   std::optional<std::uint32_t> readLength) {
  std::fill_n(region.begin() + static_cast<std::ptrdiff_t>(entryOffset + layout::kStatus),
              layout::kSense + layout::kSenseSize - layout::kStatus, std::uint8_t{0});
  region[entryOffset + layout::kStatus] = result.status;
  if (result.status == emulator::kStatusCheckCondition) {
    std::copy(result.sense.begin(), result.sense.end(),
              region.begin() + static_cast<std::ptrdiff_t>(entryOffset + layout::kSense));
  }
  std::uint8_t flags = region[entryOffset + layout::kUserFlags];
  flags &= static_cast<std::uint8_t>(~layout::kReadLengthValid);
  if (readLength && geometry.readLengthTaken) {
    flags |= layout::kReadLengthValid;
    StoreField(region, entryOffset + layout::kReadLength, *readLength);
  }
  region[entryOffset + layout::kUserFlags] = flags;
}

CommandResult RunOnDevice(const Request& request, Direction direction,
                          emulator::ScsiTarget& target) {
  // The kernel cuts the maker's 12-byte vendor CDBs to the 10 bytes of their group; the drive
  // reads them at their own length, and the bytes it never got are zero.
  const std::size_t length =
      std::max<std::size_t>(request.cdbLength, formats::CdbLengthOf(request.cdb[0]));
  const std::span<const std::uint8_t> cdb(request.cdb.data(), length);
  std::vector<std::uint8_t> buffer(request.length);
  if (direction == Direction::Out) Gather(request.pieces, buffer);
  // The sense goes back with the status in the entry: the kernel has it then, as from any
  // auto-sense adapter, and asks again only when it needs to.
  CommandResult result = target.ExecuteWithAutoSense(cdb, direction, buffer);
  if (!result.answered) {
    // A device that has stopped answering cannot time out here as on a bus: BUSY makes the
    // initiator try again until its own time-out ends the command.
    result = CommandResult{};
    result.status = emulator::kStatusBusy;
    return result;
  }
  result.transferred =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(result.transferred, request.length));
  if (direction == Direction::In) {
    Scatter(std::span(buffer).first(result.transferred), request.pieces);
  }
  return result;
}

}  // namespace

std::size_t KernelCdbLength(std::uint8_t opcode) {
  static constexpr std::array<std::size_t, 8> kByGroup{6, 10, 10, 12, 16, 12, 10, 10};
  if (opcode == 0x7F) return kLongestCdb;
  return kByGroup[opcode >> 5];
}

ServedCommand ServeCommandEntry(std::span<std::uint8_t> region, const RegionGeometry& geometry,
                                std::size_t entryOffset, std::size_t entryLength,
                                emulator::ScsiTarget& target) {
  ServedCommand served;
  served.commandId = LoadField<std::uint16_t>(region, entryOffset + layout::kCommandId);
  const Request request = ReadRequest(region, geometry, entryOffset, entryLength);
  served.cdb.assign(request.cdb.begin(),
                    request.cdb.begin() + static_cast<std::ptrdiff_t>(request.cdbLength));
  served.length = request.length;
  if (!request.fault.empty()) {
    served.fault = request.fault;
    served.result = emulator::CheckCondition(kInternalTargetFailure);
    WriteResponse(region, geometry, entryOffset, served.result, std::nullopt);
    return served;
  }
  served.direction = DirectionOf(request.cdb[0]);
  served.result = RunOnDevice(request, served.direction, target);
  std::optional<std::uint32_t> readLength;
  if (served.direction == Direction::In && served.result.status == emulator::kStatusGood &&
      served.result.transferred < request.length) {
    readLength = served.result.transferred;
  }
  WriteResponse(region, geometry, entryOffset, served.result, readLength);
  return served;
}

}  // namespace korvel::tcmu
