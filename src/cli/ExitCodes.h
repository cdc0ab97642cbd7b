// The exit codes of korvelfw, which scripts rely on.
#pragma once

namespace korvel::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailed = 1;       // the operation was tried and failed
inline constexpr int kExitBadUsage = 2;     // bad usage or bad input (options, files, scenarios)
inline constexpr int kExitNoTransport = 3;  // no transport, or no drive to work on

}  // namespace korvel::cli
