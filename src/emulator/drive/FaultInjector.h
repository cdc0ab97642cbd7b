// Applies a device's fault rules: counts the commands that each rule matches and decides
// whether this command fails on purpose instead of being carried out.
#pragma once

#include <optional>
#include <vector>

#include "emulator/Command.h"
#include "emulator/drive/FaultRule.h"

namespace korvel::emulator {

class FaultInjector {
 public:
  explicit FaultInjector(std::vector<FaultRule> rules);

  // The result that replaces the command, or nothing when it runs normally. Every rule counts
  // its matches, also when an earlier rule already decided the command's fate.
  std::optional<CommandResult> Apply(const Command& command);

 private:
  struct CountedRule {
    FaultRule rule;
    std::uint32_t seen = 0;
  };
  std::vector<CountedRule> rules_;
};

}  // namespace korvel::emulator
