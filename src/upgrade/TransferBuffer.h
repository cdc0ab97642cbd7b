// The one working buffer of the upgrade: the checksum pass reads the file through it, the
// transfer sends its chunks from it and REQUEST SENSE answers land at its start.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel::upgrade {

inline constexpr std::size_t kTransferBufferSize = 32768;

using TransferBuffer = std::array<std::uint8_t, kTransferBufferSize>;

}  // namespace korvel::upgrade
