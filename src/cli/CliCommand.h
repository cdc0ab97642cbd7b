// One korvelfw command (scan, check, upgrade, ...). Each lives in its own file and is
// registered by main.cpp.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine/InputFile.h"

namespace CLI {
class App;
}

namespace korvel::cli {

class CliContext;

class CliCommand {
 public:
  virtual ~CliCommand() = default;
  virtual std::string name() const = 0;
  virtual std::string description() const = 0;
  // Adds the command's own arguments and options to its subcommand.
  virtual void Configure(CLI::App& subcommand) { (void)subcommand; }
  // The files the command reads once its arguments are parsed, which the run's command log must
  // not replace.
  virtual std::vector<machine::InputFile> InputFiles() const { return {}; }
  // The exit code (ExitCodes.h).
  virtual int Run(CliContext& context) = 0;
};

}  // namespace korvel::cli
