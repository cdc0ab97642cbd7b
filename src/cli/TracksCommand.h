// korvelfw tracks: the sessions and tracks of the disc in a drive (the first Korvel drive found,
// or --drive H:T): each track's kind, start, true extent and CD-TEXT, and whether a further
// session can be written. Standard MMC commands only, so it works on any drive.
#pragma once

#include <string>

#include "cli/CliCommand.h"

namespace korvel::cli {

class TracksCommand : public CliCommand {
 public:
  std::string name() const override { return "tracks"; }
  std::string description() const override;
  void Configure(CLI::App& subcommand) override;
  int Run(CliContext& context) override;
};

}  // namespace korvel::cli
