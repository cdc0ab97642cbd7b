// One line of korvel-tcmu's command log: what the kernel asked and how the device ended it, so
// that a refused command (05/20/00 for an opcode the drive does not know) stands out.
#pragma once

#include <string>

#include "tcmu/CommandEntry.h"

namespace korvel::tcmu {

// "cdb 12 00 00 00 24 00, in 36: GOOD, 36 moved", "... : CHECK CONDITION 05/20/00", and for an
// entry that could not be served "entry refused (WHY): CHECK CONDITION 04/44/00".
std::string CommandLogLine(const ServedCommand& served);

}  // namespace korvel::tcmu
