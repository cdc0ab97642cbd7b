// pread for the Windows C run-time (declared in PosixOnWindows.h, which every source includes
// first). It sits in its own file because windows.h must not meet the platform's Win32 names.
#include <windows.h>

ssize_t pread(int fd, void* buffer, size_t size, std::int64_t offset) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE || offset < 0) {
    errno = EINVAL;
    return -1;
  }
  // The offset travels in the OVERLAPPED record, so no position shared between threads moves
  // under another reader.
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  const DWORD chunk = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!::ReadFile(handle, buffer, chunk, &got, &at)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
    errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(got);
}
