#include "platform/sim/SimulatedShell.h"

namespace korvel::platform::sim {
namespace {

std::string TextOf(const char* text) {
  return text == nullptr ? std::string() : std::string(text);
}

}  // namespace

SimulatedShell::SimulatedShell(const ShellSettings& settings)
    : executeResult_(settings.executeResult), messageBoxResult_(settings.messageBoxResult) {}

HINSTANCE SimulatedShell::ShellExecuteA(HWND owner, const char* verb, const char* file,
                                        const char* parameters, const char* directory,
                                        int showCommand) {
  std::lock_guard lock(mutex_);
  executeCalls_.push_back(ShellExecuteCall{owner, TextOf(verb), TextOf(file), TextOf(parameters),
                                           TextOf(directory), parameters != nullptr,
                                           directory != nullptr, showCommand});
  return executeResult_;
}

int SimulatedShell::MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
  std::lock_guard lock(mutex_);
  messageBoxes_.push_back(MessageBoxCall{owner, TextOf(text), TextOf(caption), type});
  return messageBoxResult_;
}

std::vector<ShellExecuteCall> SimulatedShell::executeCalls() const {
  std::lock_guard lock(mutex_);
  return executeCalls_;
}

std::vector<MessageBoxCall> SimulatedShell::messageBoxes() const {
  std::lock_guard lock(mutex_);
  return messageBoxes_;
}

}  // namespace korvel::platform::sim
