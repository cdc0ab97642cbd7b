// The version records of files, shaped after the Win32 functions of the same names: the size of
// a file's record, a copy of it into the caller's block, and a query of one value in that block.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform {

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;

  // The bytes GetFileVersionInfoA needs for the file's record, 0 when the file has none (or is
  // missing). `*handle`, when given, is set to 0, as Windows does.
  virtual DWORD GetFileVersionInfoSizeA(const char* file, DWORD* handle) = 0;
  // Copies the record into `data` (`size` bytes, as GetFileVersionInfoSizeA said).
  virtual BOOL GetFileVersionInfoA(const char* file, DWORD handle, DWORD size, void* data) = 0;
  // Finds `subBlock` ("\", "\VarFileInfo\Translation", "\StringFileInfo\040904b0\CompanyName")
  // in a block that GetFileVersionInfoA filled; `*value` then points into the block and
  // `*length` is the value's length (bytes for binary values, characters with the NUL for text).
  // Strings come back as ANSI text. FALSE when the value does not exist.
  virtual BOOL VerQueryValueA(void* block, const char* subBlock, void** value, UINT* length) = 0;
};

}  // namespace korvel::platform
