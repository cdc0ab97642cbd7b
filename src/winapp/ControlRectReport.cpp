#include "winapp/ControlRectReport.h"

namespace korvel::winapp {
namespace {

// A dialog of this program has a dozen controls; the walk stops well past that.
constexpr int kMaxControls = 64;

// The rule of the classic dialog manager: the average width of the 52 Latin letters of the
// dialog font, rounded half up, and the font's character height.
void FontBaseUnits(HWND dialog, int& baseX, int& baseY) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  baseX = 0;
  baseY = 0;
  HDC dc = GetDC(dialog);
  if (dc == nullptr) return;
  const auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  TEXTMETRICA metrics{};
  SIZE extent{};
  if (GetTextMetricsA(dc, &metrics) && GetTextExtentPoint32A(dc, kLetters, 52, &extent)) {
    baseX = (extent.cx / 26 + 1) / 2;
    baseY = metrics.tmHeight;
  }
  if (previous != nullptr) SelectObject(dc, previous);
  ReleaseDC(dialog, dc);
}

RECT ClientRectOf(HWND dialog, RECT screen) {
  POINT corners[2] = {{screen.left, screen.top}, {screen.right, screen.bottom}};
  ScreenToClient(dialog, &corners[0]);
  ScreenToClient(dialog, &corners[1]);
  return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

}  // namespace

void WriteControlRects(HWND dialog, int templateId, std::FILE* out) {
  RECT units{0, 0, 4, 8};
  MapDialogRect(dialog, &units);
  int fontX = 0;
  int fontY = 0;
  FontBaseUnits(dialog, fontX, fontY);
  RECT client{};
  GetClientRect(dialog, &client);
  std::fprintf(out, "dialog %d base %ld %ld font %d %d client %ld %ld\n", templateId, units.right,
               units.bottom, fontX, fontY, client.right, client.bottom);

  HWND child = GetWindow(dialog, GW_CHILD);
  for (int index = 0; child != nullptr && index < kMaxControls; ++index) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    RECT screen{};
    GetWindowRect(child, &screen);
    const RECT rect = ClientRectOf(dialog, screen);
    std::fprintf(out, "control %d %s %d %ld %ld %ld %ld\n", index, className, GetDlgCtrlID(child),
                 rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    RECT dropped{};
    // The answer is not looked at: Windows documents nonzero for success, Wine answers CB_OKAY
    // (0). An untouched rectangle stays empty and is left out.
    if (lstrcmpiA(className, "ComboBox") == 0) {
      SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    }
    if (dropped.right > dropped.left) {
      const RECT list = ClientRectOf(dialog, dropped);
      std::fprintf(out, "dropped %d %ld %ld %ld %ld\n", index, list.left, list.top,
                   list.right - list.left, list.bottom - list.top);
    }
    child = GetWindow(child, GW_HWNDNEXT);
  }
}

}  // namespace korvel::winapp
