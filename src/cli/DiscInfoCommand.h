// korvelfw disc-info: the disc identification report of a drive (the first Korvel drive found,
// or --drive H:T): the disc's class and volume name or CD-TEXT title, a recordable disc's maker,
// whether it can take another session, the drive's sense code, number, vendor status and write
// speeds, and which tracks end their sessions.
#pragma once

#include <string>

#include "cli/CliCommand.h"

namespace korvel::cli {

class DiscInfoCommand : public CliCommand {
 public:
  std::string name() const override { return "disc-info"; }
  std::string description() const override;
  void Configure(CLI::App& subcommand) override;
  int Run(CliContext& context) override;
};

}  // namespace korvel::cli
