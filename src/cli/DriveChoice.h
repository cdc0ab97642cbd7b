// The drive a disc or speed command works on, and how an address is written for people.
#pragma once

#include <optional>
#include <string>

#include "cli/CliContext.h"
#include "drive/InquiryInfo.h"
#include "transport/DeviceAddress.h"

namespace korvel::cli {

// "H:T".
std::string AddressText(transport::DeviceAddress address);

// --drive H:T when given, otherwise the first Korvel drive a scan finds on `adapters` host
// adapters; nothing when there is none.
std::optional<transport::DeviceAddress> ChooseDrive(CliContext& context, int adapters);

struct ChosenDrive {
  transport::DeviceAddress address;
  drive::InquiryInfo info;
};

// Starts the transport, chooses the drive and asks it INQUIRY, as every disc command begins.
// Nothing (with `exitCode` set and the reason and notes printed) when there is no drive to work
// on.
std::optional<ChosenDrive> StartOnChosenDrive(CliContext& context, int& exitCode);

}  // namespace korvel::cli
