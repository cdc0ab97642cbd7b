// The walk of VerQueryValueA over any bytes taken as a version record: the record's own length
// is kept within the bytes given (as GetFileVersionInfoA guarantees), the ANSI area follows, and
// every path the host routines ask for is looked up.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/LittleEndian.h"
#include "platform/VersionRecord.h"

using namespace korvel::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2 || size > 0xFFFF) return 0;
  const std::size_t length = std::min<std::size_t>(GetLittleEndian(data, 2), size);
  std::vector<std::uint8_t> block(VersionBlockSize(length), 0);
  std::memcpy(block.data(), data, length);
  PutLittleEndian(block.data(), length, 2);
  std::memcpy(block.data() + AlignVersionOffset(length), kAnsiAreaTag.data(), kAnsiAreaTag.size());
  const char* paths[] = {"\\",
                         "\\VarFileInfo\\Translation",
                         "\\StringFileInfo\\040904b0\\FileVersion",
                         "\\StringFileInfo\\040904b0\\FileDescription",
                         "\\StringFileInfo\\040904b0\\CompanyName",
                         "StringFileInfo\\\\040904B0\\CompanyName\\"};
  for (const char* path : paths) {
    void* value = nullptr;
    UINT found = 0;
    if (QueryVersionBlock(block.data(), path, &value, &found) != 0) {
      const auto* at = static_cast<const std::uint8_t*>(value);
      if (at < block.data() || at > block.data() + block.size()) __builtin_trap();
    }
  }
  return 0;
}
