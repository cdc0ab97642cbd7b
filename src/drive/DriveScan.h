// The scan for the maker's drives: every target 0..15 of every host adapter 0..n-1, in
// adapter-major order, keeping the devices whose vendor identification is exactly "KORVEL  ".
#pragma once

#include <vector>

#include "drive/Identification.h"
#include "transport/DeviceAddress.h"

namespace korvel::drive {

struct FoundDrive {
  transport::DeviceAddress address;
  InquiryInfo info;  // from the scan's INQUIRY
  DriveType type;    // from the fresh INQUIRY of DriveTypeOf
};

// Each target gets one INQUIRY; each drive of the maker then one more, for its DriveType. The
// vendor test is exact and case-sensitive (unlike DriveTypeOf's).
std::vector<FoundDrive> ScanForDrives(transport::ScsiTransport& transport, int adapterCount);

}  // namespace korvel::drive
