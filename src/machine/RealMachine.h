// The machine the program runs on when nothing is simulated: the Linux or the Windows one,
// whichever this build is for (the build links exactly one definition).
#pragma once

#include <memory>

#include "machine/Machine.h"

namespace korvel::machine {

std::unique_ptr<Machine> MakeRealMachine(bool debugTrace);

}  // namespace korvel::machine
