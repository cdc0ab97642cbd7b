#include "platform/sim/SimulatedVersionInfo.h"

#include <algorithm>
#include <cstring>

#include "platform/VersionRecord.h"
#include "platform/sim/LibraryFileName.h"
#include "platform/sim/VersionRecordBuilder.h"
#include "platform/sim/WinBool.h"

namespace korvel::platform::sim {

SimulatedVersionInfo::SimulatedVersionInfo(const Scenario& scenario, LastError& lastError)
    : libraryInstalled_(scenario.aspi.installed),
      hasRecord_(scenario.aspi.version.has_value()),
      record_(hasRecord_ ? BuildVersionRecord(*scenario.aspi.version) : std::vector<BYTE>()),
      lastError_(lastError) {}

const std::vector<BYTE>* SimulatedVersionInfo::RecordOf(const char* file) {
  if (file == nullptr || !libraryInstalled_ || LibraryFileName(file) != kAspiLibraryFile) {
    lastError_.Set(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  if (!hasRecord_) {
    lastError_.Set(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  return &record_;
}

DWORD SimulatedVersionInfo::GetFileVersionInfoSizeA(const char* file, DWORD* handle) {
  if (handle != nullptr) *handle = 0;
  const std::vector<BYTE>* record = RecordOf(file);
  return record == nullptr ? 0 : static_cast<DWORD>(VersionBlockSize(record->size()));
}

BOOL SimulatedVersionInfo::GetFileVersionInfoA(const char* file, DWORD, DWORD size, void* data) {
  const std::vector<BYTE>* record = RecordOf(file);
  if (record == nullptr) return FALSE;
  const std::size_t blockSize = VersionBlockSize(record->size());
  if (data == nullptr || size < blockSize) {
    lastError_.Set(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* bytes = static_cast<BYTE*>(data);
  std::fill(bytes, bytes + blockSize, BYTE{0});
  std::copy(record->begin(), record->end(), bytes);
  std::memcpy(bytes + AlignVersionOffset(record->size()), kAnsiAreaTag.data(), kAnsiAreaTag.size());
  return TRUE;
}

BOOL SimulatedVersionInfo::VerQueryValueA(void* block, const char* subBlock, void** value,
                                          UINT* length) {
  return QueryVersionBlock(block, subBlock, value, length);
}

}  // namespace korvel::platform::sim
