#include "winapp/DialogTestHooks.h"

#include <cstdlib>
#include <string_view>

namespace korvel::winapp {

DialogTestHooks DialogTestHooksFromEnvironment() {
  DialogTestHooks hooks;
  if (const char* path = std::getenv("KORVEL_CONTROL_RECTS")) hooks.controlRectsPath = path;
  if (const char* about = std::getenv("KORVEL_OPEN_ABOUT")) {
    hooks.openAboutAtStart = std::string_view(about) == "1";
  }
  return hooks;
}

}  // namespace korvel::winapp
