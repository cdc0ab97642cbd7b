#include "emulator/drive/FaultInjector.h"

namespace korvel::emulator {

FaultInjector::FaultInjector(std::vector<FaultRule> rules) {
  rules_.reserve(rules.size());
  for (FaultRule& rule : rules) rules_.push_back({std::move(rule), 0});
}

std::optional<CommandResult> FaultInjector::Apply(const Command& command) {
  std::optional<CommandResult> outcome;
  for (CountedRule& counted : rules_) {
    const FaultRule& rule = counted.rule;
    if (rule.opcode && *rule.opcode != command.opcode()) continue;
    if (rule.mode && *rule.mode != command.mode()) continue;
    ++counted.seen;
    const bool due = !rule.occurrence || counted.seen == *rule.occurrence ||
                     (rule.andLater && counted.seen > *rule.occurrence);
    if (!due || outcome) continue;
    CommandResult result;
    if (rule.noAnswer) {
      result.answered = false;
    } else {
      result.status = rule.status;
      if (rule.status == kStatusCheckCondition) result.sense = MakeSenseData(rule.sense);
    }
    outcome = result;
  }
  return outcome;
}

}  // namespace korvel::emulator
