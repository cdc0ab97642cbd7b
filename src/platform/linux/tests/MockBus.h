// The private system bus that run_with_mock_bus.py starts, as C++ tests reach it: a connection,
// and calls that throw what went wrong, so that a test fails with the bus's own words.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace korvel::platform::linux_host::testing {

// The services the wrapper started, comma-separated ("" for an empty bus, "none" for no bus);
// nothing when the program was not started by the wrapper, whose bus would then be the
// machine's own.
inline const char* MockBusServices() {
  return std::getenv("KORVEL_MOCK_BUS");
}

class MockBusError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BusCloser {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using BusMessage = std::unique_ptr<sd_bus_message, MessageUnref>;

class MockBus {
 public:
  MockBus() {
    if (MockBusServices() == nullptr) {
      throw MockBusError("not started by run_with_mock_bus.py: refusing the machine's own bus");
    }
    sd_bus* bus = nullptr;
    Check(sd_bus_open_system(&bus), nullptr, "connecting to the mock system bus");
    bus_.reset(bus);
  }

  sd_bus* get() const { return bus_.get(); }

  // Calls `method` and returns its reply; `append` adds the arguments to the call.
  template <typename Append>
  BusMessage Call(const char* service, const char* path, const char* interface, const char* method,
                  Append append) {
    sd_bus_message* call = nullptr;
    Check(sd_bus_message_new_method_call(bus_.get(), &call, service, path, interface, method),
          nullptr, method);
    BusMessage owned(call);
    Check(append(call), nullptr, method);
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const int result = sd_bus_call(bus_.get(), call, 0, &error, &reply);
    Check(result, &error, method);
    sd_bus_error_free(&error);
    return BusMessage(reply);
  }
  BusMessage Call(const char* service, const char* path, const char* interface,
                  const char* method) {
    return Call(service, path, interface, method, [](sd_bus_message*) { return 0; });
  }

  // Enters the next container of `type`; false at the end of the enclosing one.
  static bool CheckedEnter(sd_bus_message* message, char type, const char* contents) {
    const int entered = sd_bus_message_enter_container(message, type, contents);
    Check(entered, nullptr, "reading a reply");
    return entered > 0;
  }

  static void Check(int result, sd_bus_error* error, const std::string& what) {
    if (result >= 0) return;
    std::string text = what + ": ";
    text += error != nullptr && error->message != nullptr ? error->message : "error";
    text += " (" + std::to_string(-result) + ")";
    if (error != nullptr) sd_bus_error_free(error);
    throw MockBusError(text);
  }

 private:
  std::unique_ptr<sd_bus, BusCloser> bus_;
};

}  // namespace korvel::platform::linux_host::testing
