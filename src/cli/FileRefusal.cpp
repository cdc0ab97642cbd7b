#include "cli/FileRefusal.h"

#include <cstdio>

#include "cli/SafeText.h"

namespace korvel::cli {
namespace {

using Outcome = upgrade::FileCheckResult::Outcome;

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
  return text;
}

std::string CannotOpenText(platform::DWORD error, const std::string& quoted) {
  switch (error) {
    case platform::ERROR_FILE_NOT_FOUND:
    case platform::ERROR_PATH_NOT_FOUND:
      return "cannot open " + quoted + ": there is no such file; name the upgrade file (.bin)";
    case platform::ERROR_ACCESS_DENIED:
      return "cannot open " + quoted +
             ": it is a folder, a FIFO or a device, or you may not read it; name an upgrade "
             "file (.bin) you can read";
    case platform::ERROR_SHARING_VIOLATION:
      return "cannot open " + quoted +
             ": another program holds it open; close that program and try again";
    default:
      return "cannot open " + quoted + " (system error " + std::to_string(error) + ")";
  }
}

}  // namespace

std::string FileRefusalText(const upgrade::FileCheckResult& check, const std::string& path) {
  const std::string quoted = "\"" + PrintableText(path) + "\"";
  if (check.outcome == Outcome::CannotOpen) return CannotOpenText(check.openError, quoted);
  if (check.format == nullptr) return {};
  const formats::UpgradeFileFormat& format = *check.format;
  // A file that ends before the signature's end is short whatever else is wrong with it.
  const bool endsEarly =
      check.outcome == Outcome::TooShort ||
      (check.outcome == Outcome::BadSignature && check.bytesRead < format.revisionOffset());
  if (endsEarly) {
    return quoted + " ends after " + std::to_string(check.bytesRead) + " bytes; a format " +
           format.name + " upgrade file, the format this drive takes, holds " +
           std::to_string(format.imageSize) + " bytes";
  }
  if (check.outcome != Outcome::BadSignature) return {};
  return quoted + " is not a format " + format.name +
         " upgrade file, the format this drive takes: its signature \"" +
         std::string(format.signature.begin(), format.signature.end()) + "\" is not at offset " +
         Hex(format.signatureOffset);
}

}  // namespace korvel::cli
