// Files as the upgrade reads them: opened by path for reading without sharing, positioned
// from the start, read in pieces, closed; and whether a path exists. Shaped after CreateFileA,
// SetFilePointer, ReadFile and GetFileAttributesA.
#pragma once

#include "platform/WinTypes.h"

namespace korvel::platform {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // INVALID_HANDLE_VALUE on failure; GetLastError then tells why (ERROR_FILE_NOT_FOUND,
  // ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ...).
  virtual HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, DWORD creation,
                             DWORD attributes) = 0;
  // The new position, or INVALID_SET_FILE_POINTER.
  virtual DWORD SetFilePointer(HANDLE file, LONG distance, DWORD method) = 0;
  // Delivers 0 bytes at the end of the file; FALSE on a read error.
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* bytesRead) = 0;
  virtual BOOL CloseHandle(HANDLE file) = 0;
  // Whether a file or folder of that name exists: its attributes (FILE_ATTRIBUTE_DIRECTORY for
  // a folder), or INVALID_FILE_ATTRIBUTES with GetLastError telling why not.
  virtual DWORD GetFileAttributesA(const char* path) = 0;
  virtual DWORD GetLastError() = 0;
};

}  // namespace korvel::platform
