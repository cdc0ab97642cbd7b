// korvelfw speed: the read speed steps of a drive (the first Korvel drive found, or --drive H:T)
// with their names, the step it runs at, and its current read and write speed indexes; --set
// STEP asks for a step first. Only standard and the maker's commands go out, so it works on any
// transport.
#pragma once

#include <string>

#include "cli/CliCommand.h"

namespace korvel::cli {

class SpeedCommand : public CliCommand {
 public:
  std::string name() const override { return "speed"; }
  std::string description() const override;
  void Configure(CLI::App& subcommand) override;
  int Run(CliContext& context) override;

 private:
  // --set, as written; checked before anything is sent.
  std::string step_;
  bool setStep_ = false;
};

}  // namespace korvel::cli
