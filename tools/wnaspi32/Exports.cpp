// The exported entries of the test WNASPI32.DLL. The drives are made on the first call, not
// while the library loads, so that no thread is started under the loader lock; the library
// then pins itself, as its completion thread must never outlive its code.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <string>

#include "ScenarioAspi.h"
#include "platform/AspiRecords.h"
#include "platform/sim/DefaultScenario.h"

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::testaspi {
namespace {

// Null when the scenario could not be used; the reason went to stderr and the debugger.
ScenarioAspi* Drives() {
  static ScenarioAspi* drives = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    HMODULE self = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<const char*>(&Drives), &self);
    const char* path = std::getenv("KORVEL_ASPI_SCENARIO");
    try {
      platform::sim::Scenario scenario = path != nullptr && *path != '\0'
                                             ? platform::sim::LoadScenarioFile(path)
                                             : platform::sim::DefaultScenario();
      // Kept for the life of the process: the library never unloads.
      drives = new ScenarioAspi(std::move(scenario));
    } catch (const std::exception& error) {
      const std::string text = std::string("WNASPI32.DLL (test): ") + error.what() + "\n";
      ::OutputDebugStringA(text.c_str());
      std::fputs(text.c_str(), stderr);
    }
  });
  return drives;
}

}  // namespace
}  // namespace korvel::testaspi

extern "C" {

__declspec(dllexport) DWORD __cdecl GetASPI32SupportInfo() {
  korvel::testaspi::ScenarioAspi* drives = korvel::testaspi::Drives();
  if (drives == nullptr) return DWORD{korvel::platform::SS_FAILED_INIT} << 8;
  return drives->GetSupportInfo();
}

__declspec(dllexport) DWORD __cdecl SendASPI32Command(void* request) {
  korvel::testaspi::ScenarioAspi* drives = korvel::testaspi::Drives();
  if (drives == nullptr) return korvel::platform::SS_FAILED_INIT;
  return drives->SendCommand(request);
}

}  // extern "C"
