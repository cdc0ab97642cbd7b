#include "emulator/Command.h"

#include <algorithm>

#include "formats/BigEndian.h"

namespace korvel::emulator {

std::uint64_t Command::Field(std::size_t offset, std::size_t width) const {
  return formats::GetBigEndian(cdb.data() + offset, width);
}

CommandResult Good(std::uint32_t transferred) {
  CommandResult result;
  result.transferred = transferred;
  return result;
}

CommandResult CheckCondition(SenseCode code) {
  CommandResult result;
  result.status = kStatusCheckCondition;
  result.sense = MakeSenseData(code);
  return result;
}

CommandResult SendToHost(const Command& command, std::span<const std::uint8_t> bytes) {
  const std::size_t count = std::min(bytes.size(), command.data.size());
  if (count == 0) return Good();
  if (command.direction != Direction::In) return CheckCondition(sense::kDataPhaseError);
  std::copy_n(bytes.begin(), count, command.data.begin());
  return Good(static_cast<std::uint32_t>(count));
}

ReceivedData ReceiveFromHost(const Command& command, std::size_t length) {
  if (length == 0) return {};
  if (command.direction != Direction::Out) return {{}, sense::kDataPhaseError};
  if (command.data.size() < length) return {{}, sense::kInvalidFieldInCdb};
  return {command.data.first(length), std::nullopt};
}

}  // namespace korvel::emulator
