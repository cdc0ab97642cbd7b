#include "platform/linux/BusFailure.h"

#include <systemd/sd-bus.h>

#include <cstring>

namespace korvel::platform::linux_host {

namespace {

constexpr std::string_view kCut = "...";

}  // namespace

std::string BusFailure(const sd_bus_error* error, int result) {
  if (error != nullptr && error->message != nullptr && error->message[0] != '\0') {
    return ShortPrintable(error->message);
  }
  if (error != nullptr && error->name != nullptr && error->name[0] != '\0') {
    return ShortPrintable(error->name);
  }
  return ShortPrintable(std::strerror(result < 0 ? -result : result));
}

std::string ShortPrintable(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (out.size() == kMaxReasonBytes) {
      out.replace(kMaxReasonBytes - kCut.size(), kCut.size(), kCut);
      break;
    }
    out += c >= 0x20 && c < 0x7F ? c : '?';
  }
  return out;
}

}  // namespace korvel::platform::linux_host
