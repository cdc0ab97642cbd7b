// korvelfw scan: starts the transport as the main window does and lists the maker's drives the
// window would offer, with their model and whether it would upgrade them.
#pragma once

#include "cli/CliCommand.h"

namespace korvel::cli {

class ScanCommand : public CliCommand {
 public:
  std::string name() const override { return "scan"; }
  std::string description() const override;
  int Run(CliContext& context) override;
};

}  // namespace korvel::cli
