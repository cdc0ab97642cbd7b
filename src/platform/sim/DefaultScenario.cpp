#include "platform/sim/DefaultScenario.h"

namespace korvel::platform::sim {

Scenario DefaultScenario() {
  return LoadScenarioText(kDefaultScenarioJson);
}

}  // namespace korvel::platform::sim
