#include "platform/linux/SystemBus.h"

#include <systemd/sd-bus.h>

#include "platform/linux/BusFailure.h"

namespace korvel::platform::linux_host {

void SystemBus::Closer::operator()(sd_bus* bus) const {
  sd_bus_flush_close_unref(bus);
}

SystemBus SystemBus::Open() {
  SystemBus connection;
  sd_bus* bus = nullptr;
  const int result = sd_bus_open_system(&bus);
  if (result < 0) {
    connection.failure_ = BusFailure(nullptr, result);
    return connection;
  }
  connection.bus_.reset(bus);
  return connection;
}

}  // namespace korvel::platform::linux_host
