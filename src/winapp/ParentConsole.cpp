#include "winapp/ParentConsole.h"

#include <windows.h>

#include <cstdio>

namespace korvel::winapp {

void UseParentConsole() {
  // Started with its streams already connected (a pipe, a file, Wine's terminal): keep them.
  if (GetStdHandle(STD_ERROR_HANDLE) != nullptr) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

}  // namespace korvel::winapp
