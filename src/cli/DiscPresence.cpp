#include "cli/DiscPresence.h"

#include <cstdio>

#include "cli/DriveChoice.h"
#include "drive/Commands.h"

namespace korvel::cli {
namespace {

constexpr int kSenseKeyNotReady = 0x02;
constexpr int kAscMediumNotPresent = 0x3A;

}  // namespace

std::optional<std::string> NoDiscReason(transport::ScsiTransport& transport,
                                        transport::DeviceAddress address) {
  if (drive::TestUnitReady(transport, address.adapter, address.target) == 1) return std::nullopt;
  const std::int32_t sense = transport.LastSense(address.adapter, address.target);
  const int key = (sense >> 16) & 0x0F;
  const int asc = (sense >> 8) & 0xFF;
  if (key == kSenseKeyNotReady && asc == kAscMediumNotPresent) {
    return "there is no disc in drive " + AddressText(address);
  }
  char text[96];
  std::snprintf(text, sizeof text, "drive %s is not ready (sense %02X/%02X/%02X)",
                AddressText(address).c_str(), (sense >> 16) & 0xFF, asc, sense & 0xFF);
  return text;
}

}  // namespace korvel::cli
