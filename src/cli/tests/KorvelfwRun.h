// korvelfw run inside the test process with only the commands a test names, and a temporary
// folder for the scenarios and logs it writes.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Korvelfw.h"

namespace korvel::cli {

struct ProgramRun {
  int exitCode;
  std::string out;
  std::string err;
};

template <typename... Command>
ProgramRun RunKorvelfwWith(std::vector<std::string> args) {
  args.insert(args.begin(), "korvelfw");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::vector<std::unique_ptr<CliCommand>> commands;
  (commands.push_back(std::make_unique<Command>()), ...);
  std::ostringstream out;
  std::ostringstream err;
  const int code = RunKorvelfw(static_cast<int>(argv.size()), argv.data(), commands, out, err);
  return {code, out.str(), err.str()};
}

class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("korvelfw-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name) << text;
    return (path_ / name).string();
  }
  std::string PathOf(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace korvel::cli
