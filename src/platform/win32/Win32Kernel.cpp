#include "platform/win32/Win32Kernel.h"

#include <cstdio>

#include "platform/win32/HandleBits.h"

// windows.h comes after the platform headers: its macros (ERROR_SUCCESS, INVALID_HANDLE_VALUE,
// ...) would otherwise rewrite the platform's constants of the same names.
#include <windows.h>

namespace korvel::platform::win32 {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(::OSVERSIONINFOA));

BOOL Win32Kernel::GetVersionExA(OSVERSIONINFOA& info) {
  // The platform's record has the byte layout of the SDK's.
  return ::GetVersionExA(reinterpret_cast<::OSVERSIONINFOA*>(&info));
}

HMODULE Win32Kernel::LoadLibraryA(const char* name) {
  return HandleBits(::LoadLibraryA(name));
}

FarProc Win32Kernel::GetProcAddress(HMODULE module, const char* name) {
  const FARPROC entry = ::GetProcAddress(FromHandleBits<::HMODULE>(module), name);
  if (entry == nullptr) return {};
  // The ASPI entries use the C calling convention, in which the caller removes the argument:
  // GetASPI32SupportInfo, which takes none, can be called through the same one-argument shape.
  using Entry = ::DWORD(__cdecl*)(void*);
  const auto call = reinterpret_cast<Entry>(reinterpret_cast<void*>(entry));
  return [call](void* argument) { return static_cast<DWORD>(call(argument)); };
}

BOOL Win32Kernel::FreeLibrary(HMODULE module) {
  return ::FreeLibrary(FromHandleBits<::HMODULE>(module));
}

HANDLE Win32Kernel::CreateEventA(bool manualReset, bool initialState) {
  return HandleBits(::CreateEventA(nullptr, manualReset, initialState, nullptr));
}

BOOL Win32Kernel::SetEvent(HANDLE event) {
  return ::SetEvent(FromHandleBits<::HANDLE>(event));
}

BOOL Win32Kernel::ResetEvent(HANDLE event) {
  return ::ResetEvent(FromHandleBits<::HANDLE>(event));
}

DWORD Win32Kernel::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(FromHandleBits<::HANDLE>(handle), milliseconds);
}

BOOL Win32Kernel::CloseHandle(HANDLE handle) {
  return ::CloseHandle(FromHandleBits<::HANDLE>(handle));
}

DWORD Win32Kernel::GetTickCount() {
  return ::GetTickCount();
}

void Win32Kernel::Sleep(DWORD milliseconds) {
  ::Sleep(milliseconds);
}

std::uint64_t Win32Kernel::MillisecondsSinceStart() {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void Win32Kernel::OutputDebugStringA(const char* text) {
  if (text == nullptr) return;
  ::OutputDebugStringA(text);
  if (debugOutput_) std::fputs(text, stderr);
}

DWORD Win32Kernel::GetLastError() {
  return ::GetLastError();
}

}  // namespace korvel::platform::win32
