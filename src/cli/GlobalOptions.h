// The options that every korvelfw command shares.
#pragma once

#include <optional>
#include <string>

namespace korvel::cli {

struct GlobalOptions {
  // --simulate: run on a simulated PC; the scenario file, or empty for the built-in one.
  bool simulate = false;
  std::string scenarioFile;
  // --log-commands FILE: every SCSI command written to FILE, one JSON object a line. Given but
  // empty is bad usage, not "no log".
  std::optional<std::string> commandLogFile;
  bool json = false;
  // --drive H:T, as written; checked when the context is made (given but empty is bad usage,
  // never "the first drive").
  std::optional<std::string> drive;
};

}  // namespace korvel::cli
