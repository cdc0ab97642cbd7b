// What the operating system tells about a drive and the machine before a firmware flash (who
// else uses the drive, what powers the machine), and the holds it grants for the flash's span.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace korvel::platform {

struct ProcessUse {
  int pid = 0;
  std::string program;  // the process's command name; empty when it could not be read
};

struct DriveUse {
  // Mount points of file systems on the drive.
  std::vector<std::string> mountPoints;
  // Other processes that hold one of the drive's device nodes open.
  std::vector<ProcessUse> processes;
  // Some processes (other users', when not run as root) could not be looked at.
  bool othersUnchecked = false;
};

struct PowerReading {
  enum class Source { Unknown, Mains, Battery };
  Source source = Source::Unknown;
  // The charge left, 0..100, when on battery; -1 when not known.
  int percent = -1;
  // Where the reading came from, for messages: "UPower", "/sys/class/power_supply".
  std::string origin;
};

// Something held until destroyed: a lock, an open device, an inhibitor, a wake request.
class Hold {
 public:
  virtual ~Hold() = default;
};

struct HoldResult {
  // Null when the hold was refused or could not be taken.
  std::unique_ptr<Hold> hold;
  // Why it was refused; empty when it was taken or when its absence need not stop the flash.
  std::string refusal;
  // What could not be done but need not stop the flash, one line each.
  std::vector<std::string> notes;
};

// The signals that would end the program (interrupt, terminate, hang-up, a broken pipe), held
// from the first write to the drive until the shield is destroyed.
class SignalShield {
 public:
  virtual ~SignalShield() = default;
  // From now on a signal is announced once on stderr and otherwise ignored. False when one came
  // before this call: the program should then stop with nothing sent.
  virtual bool HoldFromNow() = 0;
  // The first signal that arrived since the shield was raised; 0 when none.
  virtual int Arrived() const = 0;
};

}  // namespace korvel::platform
