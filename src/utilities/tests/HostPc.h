// A simulated PC for the host routines' tests, and a registry that writes down every call that
// reaches it, so that tests can check which keys were opened how and closed in which order.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "emulator/VirtualClock.h"
#include "platform/sim/SimulatedPc.h"

namespace korvel::utilities::testing {

struct HostPc {
  explicit HostPc(const std::string& json) : pc(platform::sim::LoadScenarioText(json), clock) {}
  emulator::VirtualClock clock;
  platform::sim::SimulatedPc pc;
};

// "open Software 0x1", "create shell 0xf003f", "size Path", "read Path", "set NoDriveTypeAutoRun
// 3 95000000", "close Explorer": one line per call, keys named by their last path level.
class RecordingRegistry : public platform::Registry {
 public:
  explicit RecordingRegistry(platform::Registry& inner) : inner_(inner) {}

  platform::LONG RegOpenKeyExA(platform::HKEY key, const char* subKey, platform::DWORD options,
                               platform::DWORD access, platform::HKEY* result) override {
    const platform::LONG answer = inner_.RegOpenKeyExA(key, subKey, options, access, result);
    Note("open", subKey, access, answer, result);
    return answer;
  }
  platform::LONG RegCreateKeyExA(platform::HKEY key, const char* subKey, platform::DWORD options,
                                 platform::DWORD access, platform::HKEY* result,
                                 platform::DWORD* disposition) override {
    const platform::LONG answer =
        inner_.RegCreateKeyExA(key, subKey, options, access, result, disposition);
    Note("create", subKey, access, answer, result);
    return answer;
  }
  platform::LONG RegEnumKeyA(platform::HKEY key, platform::DWORD index, char* name,
                             platform::DWORD size) override {
    return inner_.RegEnumKeyA(key, index, name, size);
  }
  platform::LONG RegQueryValueExA(platform::HKEY key, const char* valueName, platform::DWORD* type,
                                  platform::BYTE* data, platform::DWORD* size) override {
    calls.push_back(std::string(data == nullptr ? "size " : "read ") +
                    (valueName == nullptr ? "(default)" : valueName));
    if (data != nullptr && failReads) return platform::ERROR_ACCESS_DENIED;
    return inner_.RegQueryValueExA(key, valueName, type, data, size);
  }
  platform::LONG RegSetValueExA(platform::HKEY key, const char* valueName, platform::DWORD type,
                                const platform::BYTE* data, platform::DWORD size) override {
    std::string line = std::string("set ") + (valueName == nullptr ? "(default)" : valueName) +
                       " " + std::to_string(type) + " ";
    for (platform::DWORD i = 0; i < size; ++i) {
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02x", data[i]);
      line += hex;
    }
    calls.push_back(line);
    return inner_.RegSetValueExA(key, valueName, type, data, size);
  }
  platform::LONG RegCloseKey(platform::HKEY key) override {
    calls.push_back("close " + names_[key]);
    names_.erase(key);
    return inner_.RegCloseKey(key);
  }

  std::vector<std::string> calls;
  bool failReads = false;  // the second step of every value read fails

 private:
  void Note(const char* verb, const char* subKey, platform::DWORD access, platform::LONG answer,
            const platform::HKEY* result) {
    char line[128];
    std::snprintf(line, sizeof line, "%s %s 0x%x", verb, subKey, static_cast<unsigned>(access));
    calls.push_back(answer == 0 ? line : std::string(line) + " failed");
    if (answer == 0) names_[*result] = subKey;
  }

  platform::Registry& inner_;
  std::map<platform::HKEY, std::string> names_;
};

}  // namespace korvel::utilities::testing
