// korvelfw check FILE: the Load File check of an upgrade file against a drive (the first one
// found, as the window selects it, or --drive H:T), printing the status line the window would
// show. Exit 0 for a valid file, 1 otherwise.
#pragma once

#include <string>

#include "cli/CliCommand.h"

namespace korvel::cli {

class CheckCommand : public CliCommand {
 public:
  std::string name() const override { return "check"; }
  std::string description() const override;
  void Configure(CLI::App& subcommand) override;
  std::vector<machine::InputFile> InputFiles() const override {
    return {{"the upgrade file", file_}};
  }
  int Run(CliContext& context) override;

 private:
  std::string file_;
};

}  // namespace korvel::cli
