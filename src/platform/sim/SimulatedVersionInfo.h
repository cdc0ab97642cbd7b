// The version records of the simulated PC's files: the ASPI library carries the record its
// scenario describes; no other file has one.
#pragma once

#include <vector>

#include "platform/VersionInfo.h"
#include "platform/sim/LastError.h"
#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

class SimulatedVersionInfo : public VersionInfo {
 public:
  SimulatedVersionInfo(const Scenario& scenario, LastError& lastError);

  DWORD GetFileVersionInfoSizeA(const char* file, DWORD* handle) override;
  // Refuses a `size` smaller than GetFileVersionInfoSizeA gave (ERROR_INSUFFICIENT_BUFFER)
  // rather than hand out a cut record that a later query would read past.
  BOOL GetFileVersionInfoA(const char* file, DWORD handle, DWORD size, void* data) override;
  BOOL VerQueryValueA(void* block, const char* subBlock, void** value, UINT* length) override;

 private:
  // The record of `file`, or null (with the last error set) when it has none.
  const std::vector<BYTE>* RecordOf(const char* file);

  const bool libraryInstalled_;
  const bool hasRecord_;
  const std::vector<BYTE> record_;
  LastError& lastError_;
};

}  // namespace korvel::platform::sim
