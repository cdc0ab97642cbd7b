#include "winapp/NativeUpgradeDialog.h"

#include <windows.h>

#include <commdlg.h>

#include <cstdio>
#include <utility>

#include "app/DialogTemplates.h"
#include "winapp/ControlRectReport.h"
#include "winapp/NativeAboutBox.h"
#include "winapp/OpenFileFilter.h"
#include "winapp/ResourceIds.h"

namespace korvel::winapp {
namespace {

// Posted to itself once the window is up: the requests of DialogTestHooks.
constexpr UINT kReportLayout = WM_APP + 1;
constexpr UINT kOpenAbout = WM_APP + 2;

// Far more than a user can queue while one handler runs; the drain never spins on a flood.
constexpr int kMaxDroppedInput = 10000;

// The handlers (a transfer, the fixed waits of an upgrade) never return to the message loop, so
// a click made meanwhile would wait in the queue and act once the handler has enabled its
// controls again: a second download, a new file, another drive. Such input is dropped instead:
// keys, mouse in the client area and on the frame (the close box, the system menu).
void DropQueuedInput() {
  static constexpr std::pair<UINT, UINT> kInputRanges[] = {
      {WM_KEYFIRST, WM_KEYLAST},
      {WM_MOUSEFIRST, WM_MOUSELAST},
      {WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK},
  };
  for (const auto& [first, last] : kInputRanges) {
    MSG message;
    for (int dropped = 0;
         dropped < kMaxDroppedInput && PeekMessageA(&message, nullptr, first, last, PM_REMOVE);
         ++dropped) {
    }
  }
}

std::string ControlText(HWND control) {
  char text[64] = {};
  GetWindowTextA(control, text, sizeof text);
  return text;
}

// The resources are those of the program's own file.
HINSTANCE ProgramInstance() {
  return GetModuleHandleA(nullptr);
}

INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    reinterpret_cast<NativeUpgradeDialog*>(lParam)->Attach(window);
  }
  auto* dialog = reinterpret_cast<NativeUpgradeDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  // Messages sent before WM_INITDIALOG (WM_SETFONT) find no object yet.
  if (dialog == nullptr) return FALSE;
  return dialog->OnMessage(message, wParam);
}

}  // namespace

NativeUpgradeDialog::NativeUpgradeDialog(DialogTestHooks hooks)
    : hooks_(std::move(hooks)),
      appIcon_(LoadIconA(ProgramInstance(), MAKEINTRESOURCEA(kAppIcon))) {}

bool NativeUpgradeDialog::Run() {
  return DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(kMainWindowDialog), nullptr,
                         DialogProcedure, reinterpret_cast<LPARAM>(this)) != -1;
}

std::intptr_t NativeUpgradeDialog::OnMessage(unsigned message, std::uintptr_t wParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog();
      return TRUE;  // the default focus: the first tab stop, "E&xit"
    case WM_SYSCOMMAND:
      return OnSysCommand(static_cast<int>(wParam)) ? TRUE : FALSE;
    case WM_PAINT:
      return PaintMinimised() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      // One of the few messages whose answer a dialog procedure returns directly.
      return reinterpret_cast<INT_PTR>(appIcon_);
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      // The close box, the system menu's Close, Alt+F4: the one way out that releases the
      // transport. The logic ends the window through RequestClose.
      if (logic_ != nullptr) {
        logic_->OnCloseRequest();
      } else {
        RequestClose();
      }
      return TRUE;
    case kReportLayout:
      ReportLayoutAndEnd();
      return TRUE;
    case kOpenAbout:
      OnSysCommand(app::kAboutCommandId);
      return TRUE;
    default:
      return FALSE;
  }
}

void NativeUpgradeDialog::OnInitDialog() {
  AppendAboutItem();
  SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
  SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(appIcon_));
  // The fields start out blank on screen: the template's placeholders never show.
  RefreshControls({}, {}, {}, {});
  // Queued before the scan, so that a test run still ends when the start-up closes the window.
  if (!hooks_.controlRectsPath.empty()) PostMessageA(window_, kReportLayout, 0, 0);
  if (hooks_.openAboutAtStart) PostMessageA(window_, kOpenAbout, 0, 0);
  if (logic_ != nullptr) logic_->OnInitDialog();
}

void NativeUpgradeDialog::AppendAboutItem() {
  HMENU systemMenu = GetSystemMenu(window_, FALSE);
  if (systemMenu == nullptr) return;
  char text[64] = {};
  if (LoadStringA(ProgramInstance(), kAboutMenuString, text, sizeof text) <= 0) return;
  AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(systemMenu, MF_STRING, app::kAboutCommandId, text);
}

bool NativeUpgradeDialog::OnCommand(int id, int notification) {
  if (logic_ == nullptr) return false;
  switch (id) {
    case upgrade::kDriveCombo:
      if (notification != CBN_SELCHANGE) return false;
      RunHandler([this] {
        const auto index = static_cast<int>(
            SendDlgItemMessageA(window_, upgrade::kDriveCombo, CB_GETCURSEL, 0, 0));
        logic_->SelectDrive(index);
      });
      return true;
    case upgrade::kLoadFileButton:
      if (notification != BN_CLICKED) return false;
      RunHandler([this] { logic_->OnLoadFile(); });
      return true;
    case upgrade::kUpgradeButton:
      if (notification != BN_CLICKED) return false;
      RunHandler([this] { logic_->OnUpgrade(); });
      return true;
    case IDCANCEL:  // "E&xit" and Escape
    case IDOK:      // Enter while no push button has the focus
      // Neither releases the transport; the window's fields need no copying back, as nothing
      // reads them after the window has ended.
      EndDialog(window_, id);
      return true;
    default:
      return false;
  }
}

bool NativeUpgradeDialog::OnSysCommand(int command) {
  if (!app::IsAboutCommand(command)) return false;
  RunAboutBox(ProgramInstance(), window_, {});
  return true;
}

bool NativeUpgradeDialog::PaintMinimised() {
  if (!IsIconic(window_)) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  RECT client{};
  GetClientRect(window_, &client);
  const int x = (static_cast<int>(client.right - client.left) - iconWidth + 1) / 2;
  const int y = (static_cast<int>(client.bottom - client.top) - iconHeight + 1) / 2;
  DrawIcon(dc, x, y, appIcon_);
  EndPaint(window_, &paint);
  return true;
}

template <typename Handler>
void NativeUpgradeDialog::RunHandler(Handler handler) {
  handler();
  DropQueuedInput();
}

void NativeUpgradeDialog::ReportLayoutAndEnd() {
  if (std::FILE* out = std::fopen(hooks_.controlRectsPath.c_str(), "w")) {
    WriteControlRects(window_, kMainWindowDialog, out);
    std::fclose(out);
  }
  RunAboutBox(ProgramInstance(), window_, hooks_.controlRectsPath);
  EndDialog(window_, IDCANCEL);
}

void NativeUpgradeDialog::RefreshControls(const std::string& hostAdapterText,
                                          const std::string& targetIdText,
                                          const std::string& firmwareVersionText,
                                          const std::string& statusText) {
  const std::pair<int, const std::string*> fields[] = {
      {app::kHostAdapterField, &hostAdapterText},
      {app::kTargetIdField, &targetIdText},
      {app::kFirmwareVersionField, &firmwareVersionText},
      {app::kStatusLine, &statusText},
  };
  for (const auto& [id, text] : fields) {
    HWND control = GetDlgItem(window_, id);
    // Unchanged texts are left alone, so that the line does not flicker on every refresh.
    if (control == nullptr || ControlText(control) == *text) continue;
    SetWindowTextA(control, text->c_str());
    // The handlers run long steps without returning to the message loop; painting now puts the
    // text on screen before those steps begin.
    UpdateWindow(control);
  }
}

void NativeUpgradeDialog::EnableControl(int id, bool enabled) {
  HWND control = GetDlgItem(window_, id);
  if (control == nullptr) return;
  EnableWindow(control, enabled ? TRUE : FALSE);
  UpdateWindow(control);
}

void NativeUpgradeDialog::AddDriveItem(const std::string& text) {
  SendDlgItemMessageA(window_, upgrade::kDriveCombo, CB_ADDSTRING, 0,
                      reinterpret_cast<LPARAM>(text.c_str()));
}

void NativeUpgradeDialog::SelectDriveItem(int index) {
  // CB_SETCURSEL sends no CBN_SELCHANGE: the logic has already shown what it selects.
  SendDlgItemMessageA(window_, upgrade::kDriveCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::optional<std::string> NativeUpgradeDialog::AskForUpgradeFile(
    const upgrade::OpenFileRequest& request) {
  const std::string filter = NulSeparatedFilter(request.filter);
  char path[MAX_PATH] = {};
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = sizeof path;
  dialog.lpstrDefExt = request.defaultExtension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_EXPLORER;
  // A cancel and a failure of the dialog itself (a path longer than the buffer) both leave the
  // file as it was.
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  return std::string(path);
}

void NativeUpgradeDialog::ShowError(const std::string& text, const std::string& caption) {
  MessageBoxA(window_, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

void NativeUpgradeDialog::RequestClose() {
  EndDialog(window_, IDCANCEL);
}

void NativeUpgradeDialog::ShowTransferProgress(int /*chunksSent*/, int /*chunkCount*/) {
  // A look at the queue, without taking anything from it, tells Windows that the thread is
  // alive, so that a long download does not get the window marked as not responding.
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
}

}  // namespace korvel::winapp
