// Whether a drive has a disc in, asked with TEST UNIT READY before a disc command runs, so that
// an empty drive is reported as such rather than as a failed read.
#pragma once

#include <optional>
#include <string>

#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"

namespace korvel::cli {

// Why the drive cannot show a disc ("there is no disc in drive 0:2", "drive 0:2 is not ready
// (sense 02/04/01)"); nothing when it is ready.
std::optional<std::string> NoDiscReason(transport::ScsiTransport& transport,
                                        transport::DeviceAddress address);

}  // namespace korvel::cli
