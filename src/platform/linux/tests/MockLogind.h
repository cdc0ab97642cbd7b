// The mock session manager of run_with_mock_bus.py's bus (started with --services logind), as a
// test asks it: which inhibitors are held at this moment, and every Inhibit call it received.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/linux/tests/MockBus.h"

namespace korvel::platform::linux_host::testing {

struct Inhibitor {
  std::string what, who, why, mode;
  bool operator==(const Inhibitor&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Inhibitor& i) {
  return os << "{what \"" << i.what << "\", who \"" << i.who << "\", why \"" << i.why
            << "\", mode \"" << i.mode << "\"}";
}

class MockLogind {
 public:
  static constexpr const char* kService = "org.freedesktop.login1";
  static constexpr const char* kPath = "/org/freedesktop/login1";

  // The inhibitors held now: their file descriptors are open somewhere.
  std::vector<Inhibitor> HeldInhibitors() {
    BusMessage reply =
        bus_.Call(kService, kPath, "org.freedesktop.login1.Manager", "ListInhibitors");
    std::vector<Inhibitor> held;
    MockBus::Check(sd_bus_message_enter_container(reply.get(), 'a', "(ssssuu)"), nullptr,
                   "ListInhibitors");
    for (;;) {
      const char *what, *who, *why, *mode;
      uint32_t uid, pid;
      const int got =
          sd_bus_message_read(reply.get(), "(ssssuu)", &what, &who, &why, &mode, &uid, &pid);
      MockBus::Check(got, nullptr, "ListInhibitors");
      if (got == 0) break;
      held.push_back({what, who, why, mode});
    }
    return held;
  }

  // Every Inhibit call since the mock started or since ClearCalls, in order.
  std::vector<Inhibitor> InhibitCalls() {
    BusMessage reply =
        bus_.Call(kService, kPath, "org.freedesktop.DBus.Mock", "GetMethodCalls",
                  [](sd_bus_message* call) { return sd_bus_message_append(call, "s", "Inhibit"); });
    std::vector<Inhibitor> calls;
    sd_bus_message* m = reply.get();
    MockBus::Check(sd_bus_message_enter_container(m, 'a', "(tav)"), nullptr, "GetMethodCalls");
    while (MockBus::CheckedEnter(m, 'r', "tav")) {
      uint64_t time;
      MockBus::Check(sd_bus_message_read(m, "t", &time), nullptr, "GetMethodCalls");
      std::vector<std::string> args;
      MockBus::Check(sd_bus_message_enter_container(m, 'a', "v"), nullptr, "GetMethodCalls");
      while (MockBus::CheckedEnter(m, 'v', "s")) {
        const char* arg;
        MockBus::Check(sd_bus_message_read(m, "s", &arg), nullptr, "GetMethodCalls");
        args.push_back(arg);
        MockBus::Check(sd_bus_message_exit_container(m), nullptr, "GetMethodCalls");
      }
      MockBus::Check(sd_bus_message_exit_container(m), nullptr, "GetMethodCalls");
      MockBus::Check(sd_bus_message_exit_container(m), nullptr, "GetMethodCalls");
      if (args.size() != 4) throw MockBusError("Inhibit called with other than 4 strings");
      calls.push_back({args[0], args[1], args[2], args[3]});
    }
    return calls;
  }

  void ClearCalls() { bus_.Call(kService, kPath, "org.freedesktop.DBus.Mock", "ClearCalls"); }

  // From now on Inhibit fails with AccessDenied and `reason`; "" grants inhibitors again.
  void RefuseInhibit(const std::string& reason) {
    bus_.Call(
        kService, kPath, "org.freedesktop.DBus.Mock", "RefuseInhibit",
        [&](sd_bus_message* call) { return sd_bus_message_append(call, "s", reason.c_str()); });
  }

 private:
  MockBus bus_;
};

}  // namespace korvel::platform::linux_host::testing
