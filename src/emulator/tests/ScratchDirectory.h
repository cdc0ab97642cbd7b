// A directory of its own for one test, removed with everything in it when the test ends.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

namespace korvel::emulator::testing {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    static std::atomic<int> made{0};
    path_ = std::filesystem::temp_directory_path() /
            ("korvel-disc-" + std::to_string(::getpid()) + "-" + std::to_string(made++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to a file of that name in the directory and returns its path.
  std::filesystem::path Write(std::string_view name, std::span<const std::uint8_t> bytes) const {
    const auto file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  std::filesystem::path Write(std::string_view name, std::string_view text) const {
    return Write(name, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }

 private:
  std::filesystem::path path_;
};

}  // namespace korvel::emulator::testing
