// The real machine of a 64-bit Windows build: there is none. The Windows services take the
// 32-bit request records of the programs' own platform, so this build, made to run the programs
// under a Wine that has only its 64-bit loader, works on simulated PCs alone.
#include <stdexcept>

#include "machine/RealMachine.h"

namespace korvel::machine {

std::unique_ptr<Machine> MakeRealMachine(bool /*debugTrace*/) {
  throw std::runtime_error("this 64-bit build runs on a simulated PC only: use --simulate");
}

}  // namespace korvel::machine
