// A power supply class directory in a temporary folder, one sub-directory per supply, as the
// kernel lays out /sys/class/power_supply.
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

namespace korvel::platform::linux_host::testing {

class PowerSupplyTree {
 public:
  PowerSupplyTree() {
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() /
            ("korvel-power-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(root_);
  }
  ~PowerSupplyTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  std::filesystem::path dir() const { return root_ / "power_supply"; }
  void Add(const std::string& name, const std::map<std::string, std::string>& attributes) {
    std::filesystem::create_directories(dir() / name);
    for (const auto& [attribute, value] : attributes) {
      std::ofstream(dir() / name / attribute, std::ios::binary) << value;
    }
  }

 private:
  std::filesystem::path root_;
};

}  // namespace korvel::platform::linux_host::testing
