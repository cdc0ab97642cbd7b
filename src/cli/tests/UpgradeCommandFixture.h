// korvelfw check and upgrade run on the built-in simulated PC, with their output captured.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CheckCommand.h"
#include "cli/Korvelfw.h"
#include "cli/UpgradeCommand.h"
#include "formats/SampleImage.h"

namespace korvel::cli::testing {

class UpgradeCommandFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(folder_);
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  // Runs korvelfw with the two commands; the upgrade reads `input` as its terminal when
  // `terminal` is set.
  int Run(std::vector<std::string> arguments, const std::string& input = "",
          bool terminal = false) {
    out.str("");
    err.str("");
    in.str(input);
    in.clear();
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<CheckCommand>());
    commands.push_back(std::make_unique<UpgradeCommand>(
        UpgradeConsole{&in, [terminal] { return terminal; }, [terminal] { return terminal; }}));
    arguments.insert(arguments.begin(), "korvelfw");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return RunKorvelfw(static_cast<int>(argv.size()), argv.data(), commands, out, err);
  }

  std::filesystem::path folder_ = std::filesystem::temp_directory_path() /
                                  ("korvelfw-test-" + std::to_string(::getpid()) + "-" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::ostringstream out;
  std::ostringstream err;
  std::istringstream in;
  const std::vector<std::uint8_t> formatB = formats::MakeSampleImage(formats::kFormatB, "1.50", 3);
};

}  // namespace korvel::cli::testing
