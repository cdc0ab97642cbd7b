// The real Windows machine: its own services, with ASPI (WNASPI32.DLL) and the NT pass-through
// as the only ways to the drives.
#pragma once

#include "machine/Machine.h"
#include "machine/WindowsFlashHost.h"
#include "platform/win32/Win32Platform.h"

namespace korvel::machine {

class WindowsMachine : public Machine {
 public:
  explicit WindowsMachine(bool debugTrace) : platform_(debugTrace) {}

  platform::Platform& platform() override { return platform_.platform(); }
  // Windows has no discovery beyond ASPI and the pass-through.
  transport::HostAdapterSource* hostAdapters() override { return nullptr; }
  std::string NoTransportHint() const override;
  std::vector<std::string> Notes() const override { return {}; }
  // A drive's address and letter are all Windows tells.
  std::string LocationOf(std::uint8_t, std::uint8_t) const override { return {}; }
  FlashHost* flashHost() override { return &flashHost_; }

 private:
  platform::win32::Win32Platform platform_;
  WindowsFlashHost flashHost_;
};

}  // namespace korvel::machine
