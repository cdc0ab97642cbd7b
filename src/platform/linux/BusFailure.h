// Why a call over the bus failed, as one short printable phrase: the text comes from another
// program (a service's error message), so it is cut short and stripped of anything a terminal
// would act on.
#pragma once

#include <systemd/sd-bus.h>

#include <string>
#include <string_view>

namespace korvel::platform::linux_host {

// At most this many bytes of a reason are kept.
inline constexpr std::size_t kMaxReasonBytes = 160;

// The error's message, else its name, else the system's text of `result` (a negative errno).
std::string BusFailure(const sd_bus_error* error, int result);

// `text` with every byte outside printable ASCII shown as '?', cut to kMaxReasonBytes ("..."
// marks the cut).
std::string ShortPrintable(std::string_view text);

}  // namespace korvel::platform::linux_host
