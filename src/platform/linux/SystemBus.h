// A connection to the system bus, closed when destroyed. A machine without one (a container, a
// minimal system) is a machine that cannot be asked, not a failure: the connection then says why.
#pragma once

#include <memory>
#include <string>

struct sd_bus;

namespace korvel::platform::linux_host {

class SystemBus {
 public:
  // The bus DBUS_SYSTEM_BUS_ADDRESS names, else the system's own.
  static SystemBus Open();

  // Null when there is no connection.
  sd_bus* get() const { return bus_.get(); }
  explicit operator bool() const { return bus_ != nullptr; }
  // Why there is no connection, printable; empty when there is one.
  const std::string& failure() const { return failure_; }

 private:
  struct Closer {
    void operator()(sd_bus* bus) const;
  };
  std::unique_ptr<sd_bus, Closer> bus_;
  std::string failure_;
};

}  // namespace korvel::platform::linux_host
