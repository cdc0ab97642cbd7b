// A file of this machine that a run reads (the upgrade file, the scenario, a disc image the
// scenario names), so that nothing the run writes lands on it.
#pragma once

#include <string>

namespace korvel::machine {

struct InputFile {
  std::string what;  // what it is to the run, for people: "the upgrade file", "the scenario"
  std::string path;  // as the user or the scenario named it
};

}  // namespace korvel::machine
