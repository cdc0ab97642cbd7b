// The korvelfw program: global options, one subcommand per registered command, and the exit
// codes of ExitCodes.h.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "cli/CliCommand.h"

namespace korvel::cli {

int RunKorvelfw(int argc, const char* const* argv,
                const std::vector<std::unique_ptr<CliCommand>>& commands, std::ostream& out,
                std::ostream& err);

}  // namespace korvel::cli
