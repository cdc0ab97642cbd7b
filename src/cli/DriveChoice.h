// The drive a disc or speed command works on, and how an address is written for people.
#pragma once

#include <optional>
#include <string>

#include "cli/CliContext.h"
#include "transport/DeviceAddress.h"

namespace korvel::cli {

// "H:T".
std::string AddressText(transport::DeviceAddress address);

// --drive H:T when given, otherwise the first Korvel drive a scan finds on `adapters` host
// adapters; nothing when there is none.
std::optional<transport::DeviceAddress> ChooseDrive(CliContext& context, int adapters);

}  // namespace korvel::cli
