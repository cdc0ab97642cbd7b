// The cost of one ExecuteCommand round trip (TEST UNIT READY) to the emulated drive at 0:2 of
// the built-in simulated PC, through the ASPI back end (Windows 98) and the NT pass-through
// back end (Windows NT 4 without ASPI): nanoseconds per command, median of many.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <nlohmann/json.hpp>

#include "drive/Commands.h"
#include "emulator/RealClock.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/sim/SimulatedPc.h"
#include "transport/TransportStartup.h"

namespace {

using namespace korvel;

constexpr int kWarmUp = 200;
constexpr int kCommands = 20000;

void Measure(const char* name, const nlohmann::json& scenario) {
  emulator::RealClock clock;
  platform::sim::SimulatedPc pc(platform::sim::ParseScenario(scenario), clock);
  transport::ScsiTransport transport(pc.platform());
  if (transport::StartTransport(transport) == 0) {
    std::printf("%-24s no transport started\n", name);
    return;
  }
  for (int i = 0; i < kWarmUp; ++i) drive::TestUnitReady(transport, 0, 2);
  std::vector<std::int64_t> samples;
  samples.reserve(kCommands);
  for (int i = 0; i < kCommands; ++i) {
    const auto start = std::chrono::steady_clock::now();
    drive::TestUnitReady(transport, 0, 2);
    samples.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count());
  }
  std::sort(samples.begin(), samples.end());
  std::printf("%-24s median %8lld ns   p10 %8lld ns   p90 %8lld ns   (%d commands)\n", name,
              static_cast<long long>(samples[samples.size() / 2]),
              static_cast<long long>(samples[samples.size() / 10]),
              static_cast<long long>(samples[samples.size() * 9 / 10]), kCommands);
  transport::StopTransport(transport);
}

}  // namespace

int main() {
  nlohmann::json aspi = nlohmann::json::parse(platform::sim::kDefaultScenarioJson);
  nlohmann::json passThrough = aspi;
  passThrough["os"] = "nt4";
  passThrough["aspi"] = {{"installed", false}};
  std::printf("ExecuteCommand round trip, TEST UNIT READY to the emulated drive at 0:2\n");
  Measure("ASPI for Win32", aspi);
  Measure("NT SCSI pass-through", passThrough);
  return 0;
}
