// Which bits of each mode page a Korvel drive lets MODE SELECT change: the mask that MODE SENSE
// reports as changeable values, and the one MODE SELECT holds a sent page against.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace korvel::emulator {

// The changeable-values form of `page`: its page code and page length bytes as they are, then a
// 1 for every bit a host may change. Error recovery: the recovery flags, the read retry count
// and byte 5, where the line's older drives take a speed code; write parameters: what a host sets
// before it records (not BUFE or LS_V, which the drive lacks); vendor speed page: the setting;
// capabilities: nothing, its current speeds follow SET CD SPEED and its lock state PREVENT ALLOW
// MEDIUM REMOVAL. A page only a scenario names is the drive's own store: all of it changes.
std::vector<std::uint8_t> ChangeableMask(std::span<const std::uint8_t> page);

// Whether `sent` (a whole page of the held page's length) differs from `held` only in bits that
// `mask` lets change. Neither the page code byte (it carries the host's PS bit) nor the page
// length (the caller matched it) is compared.
bool ChangesOnlyChangeableBits(std::span<const std::uint8_t> held,
                               std::span<const std::uint8_t> sent,
                               std::span<const std::uint8_t> mask);

}  // namespace korvel::emulator
