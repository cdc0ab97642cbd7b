// Host files seen through Windows file semantics: read-only opens with sharing modes, so that
// a file opened without sharing (or held by another program) refuses a second open. A path on
// the drive letter of an emulated drive ("E:\Vcd") shows the files on the disc in that drive.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/sim/DiscFileSystem.h"
#include "platform/sim/HandleSource.h"
#include "platform/sim/LastError.h"
#include "platform/sim/WinBool.h"

namespace korvel::platform::sim {

class SimulatedFileSystem : public FileSystem {
 public:
  SimulatedFileSystem(const std::vector<std::filesystem::path>& heldByOthers, HandleSource& handles,
                      LastError& lastError, EmulatedBus& bus);
  ~SimulatedFileSystem() override;

  HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                     DWORD attributes) override;
  DWORD SetFilePointer(HANDLE file, LONG distance, DWORD method) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) override;
  BOOL CloseHandle(HANDLE file) override;
  DWORD GetFileAttributesA(const char* path) override;
  DWORD GetLastError() override;

  int openFiles() const;

 private:
  struct OpenFile {
    int descriptor;
    std::string identity;  // the canonical path, for sharing checks
    DWORD shareMode;
  };
  bool SharingAllows(const std::string& identity, DWORD shareMode) const;
  // The descriptor behind a handle this file system opened.
  std::optional<int> DescriptorOf(HANDLE file);

  std::vector<std::string> held_;
  HandleSource& handles_;
  LastError& lastError_;
  DiscFileSystem discs_;
  mutable std::mutex mutex_;
  std::map<HANDLE, OpenFile> files_;
};

}  // namespace korvel::platform::sim
