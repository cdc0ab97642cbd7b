// The Windows NT device I/O of the simulated PC: drive types by letter, handles on CD-ROM drive
// letters and SCSI ports, and the three SCSI I/O controls on them. On Windows 9x the device
// names do not open, as there.
#pragma once

#include <map>
#include <mutex>

#include "platform/Address32.h"
#include "platform/DeviceIo.h"
#include "platform/NtScsiRecords.h"
#include "platform/sim/EmulatedBus.h"
#include "platform/sim/HandleSource.h"
#include "platform/sim/LastError.h"
#include "platform/sim/Scenario.h"
#include "platform/sim/WinBool.h"

namespace korvel::platform::sim {

class SimulatedDeviceIo : public DeviceIo {
 public:
  SimulatedDeviceIo(const Scenario& scenario, EmulatedBus& bus, AddressSpace32& memory,
                    HandleSource& handles, LastError& lastError);

  UINT GetDriveTypeA(const char* rootPath) override;
  HANDLE CreateFileA(const char* name, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD flags) override;
  BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                       DWORD* bytesReturned) override;
  BOOL CloseHandle(HANDLE device) override;
  DWORD GetLastError() override;

  int openHandles() const;

 private:
  enum class Kind { Volume, Drive, Port };
  struct Opened {
    Kind kind;
    BusDevice* device = nullptr;               // Drive
    const AdapterSettings* adapter = nullptr;  // Port
  };

  BOOL PassThroughDirect(const Opened& handle, void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* bytesReturned);
  BOOL GetAddress(const Opened& handle, void* out, DWORD outSize, DWORD* bytesReturned);
  BOOL GetInquiryData(const Opened& handle, void* out, DWORD outSize, DWORD* bytesReturned);
  BOOL Fail(DWORD error);

  const Scenario& scenario_;
  EmulatedBus& bus_;
  AddressSpace32& memory_;
  HandleSource& handles_;
  LastError& lastError_;
  mutable std::mutex mutex_;
  std::map<HANDLE, Opened> opened_;
};

}  // namespace korvel::platform::sim
