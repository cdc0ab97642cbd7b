// A simulated PC from a scenario text, on virtual time, with platform services that record what
// the transport hands them: the ASPI request blocks, the pass-through records, and the events
// made and closed.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "emulator/VirtualClock.h"
#include "platform/AspiRecords.h"
#include "platform/NtScsiRecords.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/SimulatedPc.h"
#include "transport/ScsiTransport.h"

namespace korvel::transport::testing {

class RecordingKernel : public platform::Kernel {
 public:
  explicit RecordingKernel(platform::Kernel& inner) : inner_(inner) {}

  std::vector<platform::SRB_ExecSCSICmd> sentBlocks;  // as they were handed over
  int eventsCreated = 0;
  int eventsClosed = 0;
  int librariesFreed = 0;

  platform::BOOL GetVersionExA(platform::OSVERSIONINFOA& info) override {
    return inner_.GetVersionExA(info);
  }
  platform::HMODULE LoadLibraryA(const char* name) override { return inner_.LoadLibraryA(name); }
  platform::FarProc GetProcAddress(platform::HMODULE module, const char* name) override {
    platform::FarProc entry = inner_.GetProcAddress(module, name);
    if (!entry || std::strcmp(name, "SendASPI32Command") != 0) return entry;
    return [this, entry](void* block) {
      auto* srb = static_cast<platform::SRB_ExecSCSICmd*>(block);
      if (srb->SRB_Cmd == platform::SC_EXEC_SCSI_CMD) sentBlocks.push_back(*srb);
      return entry(block);
    };
  }
  platform::BOOL FreeLibrary(platform::HMODULE module) override {
    ++librariesFreed;
    return inner_.FreeLibrary(module);
  }
  platform::HANDLE CreateEventA(bool manualReset, bool initialState) override {
    platform::HANDLE event = inner_.CreateEventA(manualReset, initialState);
    if (event != 0) {
      ++eventsCreated;
      events_.push_back(event);
    }
    return event;
  }
  platform::BOOL SetEvent(platform::HANDLE event) override { return inner_.SetEvent(event); }
  platform::BOOL ResetEvent(platform::HANDLE event) override { return inner_.ResetEvent(event); }
  platform::DWORD WaitForSingleObject(platform::HANDLE handle, platform::DWORD ms) override {
    return inner_.WaitForSingleObject(handle, ms);
  }
  platform::BOOL CloseHandle(platform::HANDLE handle) override {
    for (platform::HANDLE event : events_) {
      if (event == handle) ++eventsClosed;
    }
    return inner_.CloseHandle(handle);
  }
  platform::DWORD GetTickCount() override { return inner_.GetTickCount(); }
  void Sleep(platform::DWORD milliseconds) override { inner_.Sleep(milliseconds); }
  std::uint64_t MillisecondsSinceStart() override { return inner_.MillisecondsSinceStart(); }
  void OutputDebugStringA(const char* text) override { inner_.OutputDebugStringA(text); }
  platform::DWORD GetLastError() override { return inner_.GetLastError(); }

 private:
  platform::Kernel& inner_;
  std::vector<platform::HANDLE> events_;
};

class RecordingDeviceIo : public platform::DeviceIo {
 public:
  explicit RecordingDeviceIo(platform::DeviceIo& inner) : inner_(inner) {}

  std::vector<platform::PassThroughRecord> sentRecords;
  std::vector<std::string> opened;

  platform::UINT GetDriveTypeA(const char* root) override { return inner_.GetDriveTypeA(root); }
  platform::HANDLE CreateFileA(const char* name, platform::DWORD access, platform::DWORD share,
                               platform::DWORD creation, platform::DWORD flags) override {
    opened.emplace_back(name);
    return inner_.CreateFileA(name, access, share, creation, flags);
  }
  platform::BOOL DeviceIoControl(platform::HANDLE device, platform::DWORD code, void* in,
                                 platform::DWORD inSize, void* out, platform::DWORD outSize,
                                 platform::DWORD* returned) override {
    if (code == platform::IOCTL_SCSI_PASS_THROUGH_DIRECT && inSize == 80) {
      platform::PassThroughRecord record;
      std::memcpy(&record, in, sizeof record);
      sentRecords.push_back(record);
    }
    return inner_.DeviceIoControl(device, code, in, inSize, out, outSize, returned);
  }
  platform::BOOL CloseHandle(platform::HANDLE device) override {
    return inner_.CloseHandle(device);
  }
  platform::DWORD GetLastError() override { return inner_.GetLastError(); }

 private:
  platform::DeviceIo& inner_;
};

struct SimulatedPcFixture {
  explicit SimulatedPcFixture(std::string_view scenarioJson)
      : pc(std::make_unique<platform::sim::SimulatedPc>(
            platform::sim::LoadScenarioText(scenarioJson), clock)),
        kernel(pc->platform().kernel),
        deviceIo(pc->platform().deviceIo),
        platform{kernel,
                 deviceIo,
                 pc->platform().registry,
                 pc->platform().files,
                 pc->platform().memory,
                 pc->platform().versions,
                 pc->platform().shell,
                 pc->platform().volumes},
        transport(std::make_unique<ScsiTransport>(platform)) {}

  ~SimulatedPcFixture() {
    transport.reset();
    pc.reset();
  }

  TransportState& state() { return transport->state(); }

  emulator::VirtualClock clock;
  std::unique_ptr<platform::sim::SimulatedPc> pc;
  RecordingKernel kernel;
  RecordingDeviceIo deviceIo;
  platform::Platform platform;
  std::unique_ptr<ScsiTransport> transport;
};

}  // namespace korvel::transport::testing
