// korvelfw: the command-line form of the firmware upgrade utility.
#include <iostream>
#include <memory>
#include <vector>

#include "cli/CheckCommand.h"
#include "cli/DiscInfoCommand.h"
#include "cli/HostInfoCommand.h"
#include "cli/Korvelfw.h"
#include "cli/ScanCommand.h"
#include "cli/SpeedCommand.h"
#include "cli/TracksCommand.h"
#include "cli/UpgradeCommand.h"

int main(int argc, char** argv) {
  std::vector<std::unique_ptr<korvel::cli::CliCommand>> commands;
  commands.push_back(std::make_unique<korvel::cli::ScanCommand>());
  commands.push_back(std::make_unique<korvel::cli::CheckCommand>());
  commands.push_back(std::make_unique<korvel::cli::UpgradeCommand>());
  commands.push_back(std::make_unique<korvel::cli::SpeedCommand>());
  commands.push_back(std::make_unique<korvel::cli::HostInfoCommand>());
  commands.push_back(std::make_unique<korvel::cli::TracksCommand>());
  commands.push_back(std::make_unique<korvel::cli::DiscInfoCommand>());
  return korvel::cli::RunKorvelfw(argc, argv, commands, std::cout, std::cerr);
}
