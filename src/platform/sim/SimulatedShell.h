// The shell of the simulated PC: ShellExecuteA and MessageBoxA are recorded, in order, and
// answer what the scenario says.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/Shell.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

struct ShellExecuteCall {
  HWND owner = 0;
  std::string verb, file, parameters, directory;
  bool hasParameters = false;  // false: a null pointer was passed
  bool hasDirectory = false;
  int showCommand = 0;
};

struct MessageBoxCall {
  HWND owner = 0;
  std::string text, caption;
  UINT type = 0;
};

class SimulatedShell : public Shell {
 public:
  explicit SimulatedShell(const ShellSettings& settings);

  HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                          const char* directory, int showCommand) override;
  int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;

  std::vector<ShellExecuteCall> executeCalls() const;
  std::vector<MessageBoxCall> messageBoxes() const;

 private:
  const HINSTANCE executeResult_;
  const int messageBoxResult_;
  mutable std::mutex mutex_;
  std::vector<ShellExecuteCall> executeCalls_;
  std::vector<MessageBoxCall> messageBoxes_;
};

}  // namespace korvel::platform::sim
