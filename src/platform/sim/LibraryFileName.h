// How Windows names the library file a program asks for: the file part of the name in upper
// case, with ".DLL" added when it has no extension, so that "wnaspi32", "WNASPI32.DLL" and
// "C:\WINDOWS\SYSTEM\wnaspi32.dll" are one library.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace korvel::platform::sim {

inline std::string LibraryFileName(std::string_view name) {
  const auto slash = name.find_last_of("\\/");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  std::string file(name);
  for (char& c : file) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (file.find('.') == std::string::npos) file += ".DLL";
  return file;
}

inline constexpr std::string_view kAspiLibraryFile = "WNASPI32.DLL";

}  // namespace korvel::platform::sim
