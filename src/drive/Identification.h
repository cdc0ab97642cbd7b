// Drive identification: INQUIRY of an address, the maker's drive model (DriveType) from the
// product table, and the model names shown for each type.
#pragma once

#include <array>
#include <cstdint>

#include "drive/InquiryInfo.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive {

using DriveType = int;
inline constexpr DriveType kDriveTypeNotMaker = -1;
inline constexpr DriveType kDriveTypeUnknownModel = -2;
inline constexpr int kProductRows = 20;

// The vendor identification of the maker's drives, all 8 characters.
inline constexpr char kKorvelVendor[] = "KORVEL  ";

extern const std::array<std::array<char, 17>, kProductRows> ProductTable;
extern const std::array<std::array<char, 32>, kProductRows> ModelNameTable;

// INQUIRY (56 bytes asked) of (adapter, target); in pass-through mode answered from the port
// driver's data. 0 when the device did not answer (the strings are then left untouched),
// otherwise (signed byte 0) x 256 + 1. vendor/product/revision take 9/17/5 bytes.
int InquireDrive(transport::ScsiTransport& transport, std::uint8_t adapter, std::uint8_t target,
                 char* vendor, char* product, char* revision);
inline int InquireDrive(transport::ScsiTransport& transport, std::uint8_t adapter,
                        std::uint8_t target, InquiryInfo& info) {
  return InquireDrive(transport, adapter, target, info.vendor, info.product, info.revision);
}

// The drive model of (adapter, target), from a fresh INQUIRY: 0..19 the last product table row
// that matched (letter case ignored), -1 no answer or not the maker's, -2 no row matched.
DriveType DriveTypeOf(transport::ScsiTransport& transport, std::uint8_t adapter,
                      std::uint8_t target);

// Copies the model name of `type` (0..19) into `out` (at least 32 bytes) and returns `out`.
// A type outside 0..19 gives the blank name " ".
char* ModelNameOf(DriveType type, char* out);

}  // namespace korvel::drive
