#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace korvel::tools {

CLI::Validator NonEmptyName() {
  return CLI::Validator(
      [](const std::string& name) {
        return name.empty() ? std::string("the name is empty; name the file to write")
                            : std::string();
      },
      "NAME");
}

std::string OutputRefusal(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status) || std::filesystem::is_regular_file(status)) return {};
  if (std::filesystem::is_directory(status)) return "it is a folder; name a file in it";
  return "it is a FIFO, a socket or a device, not a file";
}

std::string LastWriteError() {
  const int error = errno;
  return error == 0 ? "the write failed" : std::strerror(error);
}

}  // namespace korvel::tools
