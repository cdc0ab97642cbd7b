// korvelfw host-info: what the host routines tell about the computer: the operating system, the
// ASPI library's version strings, the auto-run mask, the default verb of audio CDs and the free
// space of each drive letter. It sends no SCSI command.
#pragma once

#include <string>

#include "cli/CliCommand.h"

namespace korvel::cli {

class HostInfoCommand : public CliCommand {
 public:
  std::string name() const override { return "host-info"; }
  std::string description() const override;
  void Configure(CLI::App& subcommand) override;
  int Run(CliContext& context) override;
};

}  // namespace korvel::cli
