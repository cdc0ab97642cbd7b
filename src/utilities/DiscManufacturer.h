// The maker of a recordable disc, told by the start time of its lead-in that the ATIP carries
// (97:S:F): the tables of the known codes and the routine that names the maker.
#pragma once

#include <array>
#include <string>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::utilities {

// A maker's lead-in codes: seconds and frame of 97:S:F; the frame matches by its tens, its
// units digit is the disc's type. -1: the row has no second code.
struct ManufacturerRow {
  const char* name;
  int seconds1;
  int frame1;
  int seconds2;
  int frame2;
};

// A rewritable disc's maker: the lead-in code and the last possible start of the lead-out in
// frames (0 for any).
struct RewritableMakerRow {
  const char* name;
  int seconds;
  int frame;
  long leadOutFrames;
};

inline constexpr std::size_t kManufacturerNameField = 50;

extern const std::array<ManufacturerRow, 27> ManufacturerTable;
extern const std::array<RewritableMakerRow, 3> RewritableMakerTable;

// "Taiyo Yuden (type 1), 79:59:74", "unknown brand, 74:12:00", ... or "-" when the disc's ATIP
// and full table of contents tell nothing. A rewritable disc's speed follows as " - 4X RW".
std::string DiscManufacturerText(transport::ScsiTransport& transport,
                                 transport::DeviceAddress address);

}  // namespace korvel::utilities
