// What the native window hands on, one operation per event. The window's code includes
// <windows.h>, whose macros collide with the platform layer's own Win32 names, so it sees the
// dialog's logic only through this interface; ModelDialogLogic.h connects it to
// UpgradeDialogModel.
#pragma once

namespace korvel::winapp {

class DialogLogic {
 public:
  virtual ~DialogLogic() = default;
  virtual void OnInitDialog() = 0;
  virtual void SelectDrive(int index) = 0;
  virtual void OnLoadFile() = 0;
  virtual void OnUpgrade() = 0;
  // The close request: releases the transport, then ends the window.
  virtual void OnCloseRequest() = 0;
};

}  // namespace korvel::winapp
