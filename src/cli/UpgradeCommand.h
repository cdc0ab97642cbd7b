// korvelfw upgrade FILE: the Load File check, then the Upgrade button's work on the drive (the
// first one found, or --drive H:T), with a progress display and the firmware version read
// afterwards. Asks before it writes unless --yes; --dry-run does all but send WRITE BUFFER. The
// guards around a flash are checked before the question, and held for the flash's span.
#pragma once

#include <functional>
#include <istream>
#include <string>

#include "cli/CliCommand.h"

namespace korvel::cli {

// Where the confirmation comes from and whether the streams are terminals.
struct UpgradeConsole {
  std::istream* in = nullptr;
  std::function<bool()> inputIsTerminal;
  std::function<bool()> outputIsTerminal;
};

class UpgradeCommand : public CliCommand {
 public:
  // The process's standard input and output.
  UpgradeCommand();
  explicit UpgradeCommand(UpgradeConsole console) : console_(std::move(console)) {}

  std::string name() const override { return "upgrade"; }
  std::string description() const override;
  void Configure(CLI::App& subcommand) override;
  std::vector<machine::InputFile> InputFiles() const override {
    return {{"the upgrade file", file_}};
  }
  int Run(CliContext& context) override;

 private:
  UpgradeConsole console_;
  std::string file_;
  bool yes_ = false;
  bool dryRun_ = false;
  bool ignorePower_ = false;
};

}  // namespace korvel::cli
