// The lookup of a drive's record, by its address, in a table of per-drive records whose first two
// bytes are the host adapter number and the target ID.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel::utilities {

inline constexpr std::size_t kDriveRecordCount = 26;
inline constexpr std::size_t kDriveRecordSize = 20260;
inline constexpr std::size_t kDriveRecordAdapter = 0;  // offsets in a record
inline constexpr std::size_t kDriveRecordTarget = 1;

using DriveRecord = std::array<std::uint8_t, kDriveRecordSize>;
using DriveRecordTable = std::array<DriveRecord, kDriveRecordCount>;

// The index of the first record whose adapter and target equal the low 8 bits of `adapter` and
// `target`; 0 when none does, so 0 also stands for "not found".
int FindDriveRecord(unsigned adapter, unsigned target, const DriveRecordTable& records);

}  // namespace korvel::utilities
