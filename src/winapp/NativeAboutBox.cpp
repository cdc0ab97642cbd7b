#include "winapp/NativeAboutBox.h"

#include <cstdio>

#include "winapp/ControlRectReport.h"
#include "winapp/ResourceIds.h"

namespace korvel::winapp {
namespace {

// Posted to itself once the box is up, so that the report sees the laid-out window.
constexpr UINT kReportLayout = WM_APP + 1;

INT_PTR CALLBACK AboutProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(box, DWLP_USER, lParam);
      if (lParam != 0) PostMessageA(box, kReportLayout, 0, 0);
      return TRUE;  // the default focus: OK, the first tab stop
    case kReportLayout: {
      const auto* path = reinterpret_cast<const std::string*>(GetWindowLongPtrA(box, DWLP_USER));
      if (path != nullptr) {
        if (std::FILE* out = std::fopen(path->c_str(), "a")) {
          WriteControlRects(box, kAboutDialog, out);
          std::fclose(out);
        }
      }
      EndDialog(box, IDOK);
      return TRUE;
    }
    case WM_COMMAND:
      // OK and Escape; the close box arrives as IDCANCEL too.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(box, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAboutBox(HINSTANCE instance, HWND owner, const std::string& controlRectsPath) {
  const LPARAM report = controlRectsPath.empty() ? 0 : reinterpret_cast<LPARAM>(&controlRectsPath);
  // The result is not examined: however the box ends, the main window carries on.
  DialogBoxParamA(instance, MAKEINTRESOURCEA(kAboutDialog), owner, AboutProcedure, report);
}

}  // namespace korvel::winapp
