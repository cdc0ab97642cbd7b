#include "platform/linux/LogindInhibitor.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/linux/BusFailure.h"

namespace korvel::platform::linux_host {

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";
// Everything that would stop the flash: suspend and hibernation, shut-down and reboot, and the
// idle action (which may be either).
constexpr const char* kWhat = "sleep:shutdown:idle";
// "block" keeps them from happening; "delay" would only postpone them a few seconds.
constexpr const char* kMode = "block";
// The session manager answers at once; a hung one must not hang the flash for long.
constexpr std::uint64_t kCallTimeoutMicroseconds = 10'000'000;

// The inhibitor lasts as long as this descriptor is open in any process: the hold owns one and
// closes it when destroyed. It is opened close-on-exec, so programs started meanwhile do not
// keep it.
class InhibitorHold : public Hold {
 public:
  explicit InhibitorHold(int fd) : fd_(fd) {}
  ~InhibitorHold() override { ::close(fd_); }
  InhibitorHold(const InhibitorHold&) = delete;
  InhibitorHold& operator=(const InhibitorHold&) = delete;

 private:
  int fd_;
};

struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

HoldResult Note(const std::string& reason) {
  HoldResult result;
  result.notes.push_back(InhibitorNote(reason));
  return result;
}

}  // namespace

std::string InhibitorNote(const std::string& reason) {
  return "could not ask logind to block suspend and shutdown during the upgrade (" + reason +
         "); keep the computer on until it has finished";
}

HoldResult InhibitSleepAndShutdown(const SystemBus& bus, const std::string& who,
                                   const std::string& why) {
  if (!bus) return Note("no system bus: " + bus.failure());

  sd_bus_message* call = nullptr;
  int result =
      sd_bus_message_new_method_call(bus.get(), &call, kService, kPath, kInterface, "Inhibit");
  if (result < 0) return Note(BusFailure(nullptr, result));
  const Message owned(call);
  result = sd_bus_message_append(call, "ssss", kWhat, who.c_str(), why.c_str(), kMode);
  if (result < 0) return Note(BusFailure(nullptr, result));

  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  result = sd_bus_call(bus.get(), call, kCallTimeoutMicroseconds, &error, &reply);
  const Message ownedReply(reply);
  if (result < 0) {
    HoldResult failed = Note(BusFailure(&error, result));
    sd_bus_error_free(&error);
    return failed;
  }
  // The reply owns its descriptor and closes it with the reply: the hold keeps its own copy.
  int fd = -1;
  result = sd_bus_message_read(reply, "h", &fd);
  if (result < 0) return Note("an answer without an inhibitor: " + BusFailure(nullptr, result));
  const int held = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  if (held < 0) return Note(BusFailure(nullptr, -errno));
  HoldResult taken;
  taken.hold = std::make_unique<InhibitorHold>(held);
  return taken;
}

}  // namespace korvel::platform::linux_host
