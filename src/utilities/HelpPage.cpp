#include "utilities/HelpPage.h"

#include <array>
#include <string>

#include "utilities/BoundedText.h"
#include "utilities/RegistryPath.h"

namespace korvel::utilities {

using namespace platform;

namespace {

constexpr char kCaption[] = "Varnocks";
constexpr HINSTANCE kFileNotFound = 2;

// The shell results the user is told about, with their texts.
const char* ShellFailureText(HINSTANCE result) {
  switch (result) {
    case 0:
      return "Out of memory";
    case kFileNotFound:
      return "File not found";
    case 3:
      return "Path not found";
    case 11:
      return "Not a windows executable";
    default:
      return nullptr;
  }
}

void ReportShellResult(Shell& shell, HWND owner, HINSTANCE result) {
  if (const char* text = ShellFailureText(result)) {
    shell.MessageBoxA(owner, text, kCaption, MB_OK | MB_ICONERROR);
  }
}

}  // namespace

void HelpBasePath(Registry& registry, std::span<char> text) {
  const RegistryPath key(
      registry, HKEY_LOCAL_MACHINE,
      {"SOFTWARE", "Microsoft", "Windows", "CurrentVersion", "App Paths", "Varnock.exe"},
      KeyWalk::Open, KEY_QUERY_VALUE);
  if (!key.leaf()) return;
  const ValueRead read = ReadValueInTwoSteps(registry, *key.leaf(), "Path");
  if (!read.data) return;
  const std::string_view path = ValueText(*read.data);
  if (path.size() + 1 > text.size()) return;
  CopyBounded(text, path);
}

void OpenHelpPage(Platform& platform, HWND owner) {
  std::array<char, kMaxPath> base{};
  HelpBasePath(platform.registry, base);
  if (base[0] == '\0') {
    ReportShellResult(platform.shell, owner, kFileNotFound);
    return;
  }
  const std::string page = std::string(base.data()) + "\\Help\\" + "varnocks.html";
  const HINSTANCE result =
      platform.shell.ShellExecuteA(owner, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  ReportShellResult(platform.shell, owner, result);
}

}  // namespace korvel::utilities
