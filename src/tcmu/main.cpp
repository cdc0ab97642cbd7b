// korvel-tcmu: serves one emulated device of a scenario to the Linux kernel as a real SCSI
// device, as the user-space back end of a TCM user (target_core_user) device.
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "emulator/ConfigError.h"
#include "emulator/DeviceFactory.h"
#include "emulator/RealClock.h"
#include "machine/CommandLogFile.h"
#include "machine/EmptyOptionValue.h"
#include "machine/PrintableText.h"
#include "platform/sim/Scenario.h"
#include "tcmu/CommandLogLine.h"
#include "tcmu/CommandRing.h"
#include "tcmu/UioDevice.h"

namespace {

using korvel::machine::PrintableLines;
using korvel::machine::PrintableText;
namespace tcmu = korvel::tcmu;
namespace sim = korvel::platform::sim;

constexpr int kExitStopped = 0;      // ended by SIGTERM or SIGINT
constexpr int kExitRingFailed = 1;   // the ring or the node failed while serving
constexpr int kExitBadInput = 2;     // bad usage, scenario or address
constexpr int kExitNoUioDevice = 3;  // the node is missing or not a TCM user device

struct DeviceAddress {
  unsigned adapter = 0;
  unsigned target = 0;
};

// "H:T": a host adapter number of the scenario (0..255) and a target ID (0..15).
std::optional<DeviceAddress> ParseAddress(const std::string& text) {
  static const std::regex kForm("([0-9]{1,3}):([0-9]{1,2})");
  std::smatch match;
  if (!std::regex_match(text, match, kForm)) return std::nullopt;
  const DeviceAddress address{static_cast<unsigned>(std::stoul(match[1])),
                              static_cast<unsigned>(std::stoul(match[2]))};
  if (address.adapter > 255 || address.target > 15) return std::nullopt;
  return address;
}

const sim::TargetSettings* FindTarget(const sim::Scenario& scenario, DeviceAddress address) {
  for (const sim::AdapterSettings& adapter : scenario.adapters) {
    if (adapter.id != address.adapter) continue;
    for (const sim::TargetSettings& target : adapter.targets) {
      if (target.id == address.target) return &target;
    }
  }
  return nullptr;
}

template <std::size_t N>
std::string FieldText(const std::array<char, N>& field) {
  return PrintableText(std::string_view(field.data(), field.size()));
}

void Complain(const std::string& text) {
  std::cerr << "korvel-tcmu: " << text << "\n";
}

// SIGTERM and SIGINT arrive through a descriptor, so that the wait for commands ends cleanly
// between two commands, never inside one.
int StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) return -1;
  return signalfd(-1, &signals, SFD_CLOEXEC);
}

int Serve(tcmu::UioDevice& uio, tcmu::CommandRing& ring, korvel::emulator::ScsiTarget& device,
          int stopFd, std::ostream* log) {
  const tcmu::CommandObserver observe = [log](const tcmu::ServedCommand& served) {
    if (!served.fault.empty()) Complain("ring entry refused: " + served.fault);
    if (log != nullptr) *log << tcmu::CommandLogLine(served) << std::endl;
  };
  for (;;) {
    const tcmu::RingPass pass = ring.ServePending(device, observe);
    if (pass.tailMoved) uio.SignalCompletion();
    if (pass.fault) {
      Complain("the command ring is broken: " + *pass.fault);
      return kExitRingFailed;
    }
    std::array<pollfd, 2> waits{{{uio.fd(), POLLIN, 0}, {stopFd, POLLIN, 0}}};
    if (poll(waits.data(), waits.size(), -1) < 0) {
      if (errno == EINTR) continue;
      Complain(std::string("waiting for commands: ") + std::strerror(errno));
      return kExitRingFailed;
    }
    if ((waits[1].revents & POLLIN) != 0) return kExitStopped;
    if ((waits[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
      Complain("the kernel closed the device");
      return kExitRingFailed;
    }
    if ((waits[0].revents & POLLIN) != 0) uio.TakeEvents();
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Serves one emulated device of a scenario to the Linux kernel as a SCSI device: the "
      "user-space back end of a TCM user device, reached through its UIO node."};
  std::string scenarioPath;
  std::string addressText;
  std::string logPath;
  std::string node;
  app.add_option("--scenario", scenarioPath, "scenario file that describes the device")->required();
  app.add_option("--device", addressText, "the device's place in the scenario: adapter:target")
      ->required();
  app.add_option("--log", logPath, "file that gets one line for every command served");
  app.add_option("UIO_NODE", node, "the UIO node of the TCM user device, e.g. /dev/uio0")
      ->required();
  if (const std::string_view empty = korvel::machine::EmptyOptionValue(argc, argv);
      !empty.empty()) {
    Complain(PrintableText(empty) + " gives an empty value");
    return kExitBadInput;
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::ParseError& error) {
    // The parser's messages quote the arguments it refused, which may hold anything.
    std::ostringstream message;
    app.exit(error, std::cout, message);
    std::cerr << PrintableLines(message.str());
    return kExitBadInput;
  }

  // A value given but empty is a mistake, never "the default".
  for (const char* name : {"--scenario", "--device", "--log", "UIO_NODE"}) {
    const CLI::Option* option = app.get_option(name);
    if (option->count() > 0 && option->as<std::string>().empty()) {
      Complain(std::string(name) + " is given but empty");
      return kExitBadInput;
    }
  }

  const std::optional<DeviceAddress> address = ParseAddress(addressText);
  if (!address) {
    Complain("--device must be H:T (host adapter 0 to 255, target 0 to 15), not \"" +
             PrintableText(addressText) + "\"");
    return kExitBadInput;
  }
  sim::Scenario scenario;
  try {
    scenario = sim::LoadScenarioFile(scenarioPath);
  } catch (const korvel::emulator::ConfigError& error) {
    Complain(PrintableText(error.what()));
    return kExitBadInput;
  }
  const sim::TargetSettings* target = FindTarget(scenario, *address);
  if (target == nullptr) {
    Complain(PrintableText(scenarioPath) + " has no device at " + addressText);
    return kExitBadInput;
  }
  // The log takes what korvelfw's command log takes, and never a file the device is made from.
  // It is checked now but made only once the node serves: a run that cannot serve leaves an old
  // log as it was.
  std::vector<korvel::machine::InputFile> inputs{{"the scenario", scenarioPath}};
  for (const std::filesystem::path& image : sim::ImageFilesOf(scenario))
    inputs.push_back({"the disc image", image.string()});
  if (!logPath.empty()) {
    if (const std::string refusal = korvel::machine::CommandLogFile::Refusal(logPath, inputs);
        !refusal.empty()) {
      Complain(PrintableText(refusal));
      return kExitBadInput;
    }
  }
  const int stopFd = StopSignals();
  if (stopFd < 0) {
    Complain(std::string("cannot take the stop signals: ") + std::strerror(errno));
    return kExitRingFailed;
  }

  try {
    tcmu::UioDevice uio(node);
    tcmu::CommandRing ring(uio.region());
    std::unique_ptr<korvel::machine::CommandLogFile> log;
    if (!logPath.empty()) {
      try {
        log = std::make_unique<korvel::machine::CommandLogFile>(logPath, inputs);
      } catch (const std::runtime_error& error) {
        Complain(PrintableText(error.what()));
        return kExitBadInput;
      }
    }
    korvel::emulator::RealClock clock;
    const auto device = korvel::emulator::MakeDevice(target->device, clock);
    Complain("serving " + FieldText(target->device.vendor) + " " +
             FieldText(target->device.product) + " " + FieldText(target->device.revision) + " (" +
             addressText + " of " + PrintableText(scenarioPath) + ") on " + PrintableText(node) +
             " (" + PrintableText(uio.name()) + ")");
    const int result = Serve(uio, ring, *device, stopFd, log ? &log->stream() : nullptr);
    close(stopFd);
    if (result == kExitStopped) Complain("stopped");
    // A log that lost lines must not pass for a whole one.
    if (const std::string failure = log ? log->Finish() : std::string(); !failure.empty()) {
      Complain(PrintableText(failure));
      return result == kExitStopped ? kExitRingFailed : result;
    }
    return result;
  } catch (const tcmu::UioError& error) {
    Complain(PrintableText(error.what()));
    return kExitNoUioDevice;
  } catch (const tcmu::RingError& error) {
    Complain(PrintableText(node) + " is not a TCM user device: " + PrintableText(error.what()));
    return kExitNoUioDevice;
  }
}
