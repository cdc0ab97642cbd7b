// A sysfs and /dev tree in a temporary folder, laid out as the kernel lays out its SCSI devices.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace korvel::platform::linux_host::testing {

class FakeSysfsTree {
 public:
  FakeSysfsTree() {
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() /
            ("korvel-sysfs-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(root_ / "sys" / "class" / "scsi_device");
    std::filesystem::create_directories(root_ / "dev");
  }
  ~FakeSysfsTree() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  std::filesystem::path sys() const { return root_ / "sys"; }
  std::filesystem::path dev() const { return root_ / "dev"; }
  std::filesystem::path root() const { return root_; }

  // One device "H:C:T:L"; `sg` and `block` are node names ("sg1", "sr0") or empty.
  std::filesystem::path AddDevice(const std::string& address, int type, const std::string& vendor,
                                  const std::string& model, const std::string& rev,
                                  const std::string& sg, const std::string& block) {
    const auto device = root_ / "sys" / "class" / "scsi_device" / address / "device";
    std::filesystem::create_directories(device);
    Write(device / "type", std::to_string(type) + "\n");
    Write(device / "vendor", vendor + "\n");
    Write(device / "model", model + "\n");
    Write(device / "rev", rev + "\n");
    if (!sg.empty()) std::filesystem::create_directories(device / "scsi_generic" / sg);
    if (!block.empty()) std::filesystem::create_directories(device / "block" / block);
    return device;
  }

  static void Write(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

 private:
  std::filesystem::path root_;
};

}  // namespace korvel::platform::linux_host::testing
