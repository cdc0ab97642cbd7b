#include "machine/WindowsMachine.h"

#include "machine/RealMachine.h"

namespace korvel::machine {

std::unique_ptr<Machine> MakeRealMachine(bool debugTrace) {
  return std::make_unique<WindowsMachine>(debugTrace);
}

std::string WindowsMachine::NoTransportHint() const {
  return "No SCSI transport: no ASPI library (WNASPI32.DLL) with a host adapter, and no CD-ROM "
         "drive letter that leads to an NT SCSI port, on this machine.";
}

}  // namespace korvel::machine
