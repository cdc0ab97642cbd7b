// The test hook that takes the documentation pictures through the real program: once the main
// window is up it grabs it with the first drive selected, loads the given upgrade file, presses
// Upgrade, grabs the window again and ends it with Exit.
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "app/DialogHooks.h"

namespace korvel::app {

class UpgradeDialog;

class ScreenshotScript {
 public:
  ScreenshotScript(std::string directory, std::string imagePath);

  // The stand-in for the open-file dialog: always the image the script was given.
  decltype(DialogHooks::chooseFile) FileChooser() const;

  // Schedules the steps to run inside the window's modal loop.
  void Start(UpgradeDialog& dialog);

  // Both pictures were written and the upgrade ended with the success message.
  bool succeeded() const { return succeeded_; }

 private:
  void TakePictures(UpgradeDialog& dialog);
  bool Save(UpgradeDialog& dialog, const char* name);

  std::string directory_;
  std::string imagePath_;
  bool succeeded_ = false;
};

}  // namespace korvel::app
