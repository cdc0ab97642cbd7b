#include "input_file.h"

#include <filesystem>

namespace korvel::tools {

std::string InputRefusal(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (error) return error.message();
  if (std::filesystem::is_regular_file(status)) return {};
  if (std::filesystem::is_directory(status)) return "it is a folder; name the image file";
  return "it is a FIFO, a socket or a device, not a file";
}

bool IsSameFile(const std::string& input, const std::string& output) {
  std::error_code error;
  return std::filesystem::equivalent(input, output, error) && !error;
}

}  // namespace korvel::tools
