// The bytes of a loaded disc: every sector is a deterministic function of its address, so a
// test can state what any read must return without storing a disc image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel::emulator {

inline constexpr std::size_t kUserDataSize = 2048;
inline constexpr std::size_t kRawSectorSize = 2352;

namespace raw_sector_layout {
inline constexpr std::size_t kSync = 0;  // 12 bytes: 00, ten times FF, 00
inline constexpr std::size_t kSyncLength = 12;
inline constexpr std::size_t kHeaderMsf = 12;  // 3 bytes of BCD minute, second, frame
inline constexpr std::size_t kHeaderMode = 15;
inline constexpr std::size_t kUserData = 16;
inline constexpr std::size_t kEdc = 2064;           // 4 bytes
inline constexpr std::size_t kIntermediate = 2068;  // 8 zero bytes
inline constexpr std::size_t kEcc = 2076;           // 276 bytes
}  // namespace raw_sector_layout

// 2048 bytes of user data: the address big-endian in bytes 0..3, then a pattern of it.
void FillUserData(std::uint32_t lba, std::span<std::uint8_t, kUserDataSize> out);

// A 2352-byte mode 1 sector: sync, header (address + 150 frames as BCD M:S:F, mode 1), the user
// data of FillUserData, and error fields filled with a pattern (not a real EDC/ECC).
void FillRawSector(std::uint32_t lba, std::span<std::uint8_t, kRawSectorSize> out);

}  // namespace korvel::emulator
