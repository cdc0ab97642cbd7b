#include "platform/win32/Win32ConsoleShield.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <utility>

// windows.h comes after the platform headers: its macros would rewrite the platform's constants.
#include <windows.h>

namespace korvel::platform::win32 {
namespace {

// The shield raised now, if any: a console control handler takes no argument, so this is how it
// finds the shield. The only state of its kind; set from Raise until the shield is destroyed. A
// handler borrows the pointer (leaves null) for as long as it uses the shield, and the shield's
// destructor waits until it can take its own pointer back, so that no handler outlives it.
std::atomic<Win32ConsoleShield*> raised{nullptr};

// What the program names the event by.
int SignalOf(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
}

bool Handled(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      return true;
    default:
      return false;
  }
}

// The console is going away, the user logs off or the machine shuts down: Windows ends the
// process a few seconds after the handler is called, or when it returns. Once the flash has
// begun, the handler does not return: the flash goes on for as long as Windows allows, and
// the program ends normally when it finishes first.
[[noreturn]] void WaitForTheEnd() {
  for (;;) ::Sleep(INFINITE);
}

}  // namespace

std::unique_ptr<SignalShield> Win32ConsoleShield::Raise(std::string announcement) {
  std::unique_ptr<Win32ConsoleShield> shield(new Win32ConsoleShield(std::move(announcement)));
  Win32ConsoleShield* none = nullptr;
  if (!raised.compare_exchange_strong(none, shield.get())) return nullptr;
  if (!::SetConsoleCtrlHandler(&Win32ConsoleShield::OnControl, TRUE)) {
    raised.store(nullptr);
    return nullptr;
  }
  return shield;
}

Win32ConsoleShield::~Win32ConsoleShield() {
  ::SetConsoleCtrlHandler(&Win32ConsoleShield::OnControl, FALSE);
  // A handler that borrowed the pointer gives it back when it has done.
  for (Win32ConsoleShield* self = this; !raised.compare_exchange_weak(self, nullptr); self = this) {
    ::Sleep(0);
  }
}

int __stdcall Win32ConsoleShield::OnControl(unsigned long event) {
  if (!Handled(event)) return FALSE;
  const bool closing = event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT;
  Win32ConsoleShield* shield = raised.exchange(nullptr);
  if (shield == nullptr) {
    // Another event's handler has the shield and decides; this one is swallowed.
    if (closing) WaitForTheEnd();
    return TRUE;
  }
  const InterruptLatch::Action action = shield->latch_.Arrive(SignalOf(event));
  if (action == InterruptLatch::Action::Announce) {
    std::fputs((shield->announcement_ + "\n").c_str(), stderr);
    std::fflush(stderr);
  }
  raised.store(shield);
  if (action == InterruptLatch::Action::Stop) {
    // Nothing is sent yet. Ctrl+C is swallowed and the flash stops before its first write;
    // a closing console ends the process now, which lets go of every hold.
    return closing ? FALSE : TRUE;
  }
  if (closing) WaitForTheEnd();
  return TRUE;
}

}  // namespace korvel::platform::win32
