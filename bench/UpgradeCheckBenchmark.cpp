// What the check of a 512 KiB upgrade file costs beyond reading it: both read the same file in
// 32 KiB pieces through the simulated PC's file system, in the same run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "emulator/VirtualClock.h"
#include "formats/SampleImage.h"
#include "platform/sim/DefaultScenario.h"
#include "platform/sim/SimulatedPc.h"
#include "upgrade/UpgradeFileCheck.h"
#include "upgrade/UpgradeFileReader.h"

namespace {

using namespace korvel;

struct Bench {
  Bench() : pc(platform::sim::DefaultScenario(), clock) {
    const auto image = formats::MakeSampleImage(formats::kFormatB, "1.50", 1);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
  }
  ~Bench() { std::filesystem::remove(path); }

  std::string path = (std::filesystem::temp_directory_path() /
                      ("korvel-bench-" + std::to_string(::getpid()) + ".bin"))
                         .string();
  emulator::VirtualClock clock;
  platform::sim::SimulatedPc pc;
  upgrade::TransferBuffer buffer{};
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void BM_CheckUpgradeFile(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) {
    const upgrade::FileCheckResult result = upgrade::CheckUpgradeFileAt(
        bench.pc.platform().files, bench.path, formats::kFormatB, bench.buffer);
    if (!result.valid()) state.SkipWithError("the sample image did not pass");
    benchmark::DoNotOptimize(result.computed);
  }
  state.SetBytesProcessed(state.iterations() * formats::kFormatB.imageSize);
}
BENCHMARK(BM_CheckUpgradeFile);

void BM_ReadFileOnly(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) {
    upgrade::UpgradeFileReader file(bench.pc.platform().files, bench.path);
    std::uint32_t delivered = 0;
    for (std::uint32_t offset = 0; offset < formats::kFormatB.imageSize;
         offset += upgrade::kTransferBufferSize) {
      file.ReadExactly(bench.buffer, delivered);
    }
    benchmark::DoNotOptimize(bench.buffer.data());
  }
  state.SetBytesProcessed(state.iterations() * formats::kFormatB.imageSize);
}
BENCHMARK(BM_ReadFileOnly);

}  // namespace

BENCHMARK_MAIN();
