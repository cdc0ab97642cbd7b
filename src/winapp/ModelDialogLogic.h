// The native window's events handed to the shared dialog logic, UpgradeDialogModel.
#pragma once

#include "upgrade/UpgradeDialogModel.h"
#include "winapp/DialogLogic.h"

namespace korvel::winapp {

class ModelDialogLogic final : public DialogLogic {
 public:
  explicit ModelDialogLogic(upgrade::UpgradeDialogModel& model) : model_(model) {}

  void OnInitDialog() override { model_.OnInitDialog(); }
  void SelectDrive(int index) override { model_.SelectDrive(index); }
  void OnLoadFile() override { model_.OnLoadFile(); }
  void OnUpgrade() override {
    model_.OnUpgrade();
    // The program was asked to end while the flash could not be stopped; it ends now.
    if (model_.lastUpgrade().heldSignal != 0) model_.OnCloseRequest();
  }
  void OnCloseRequest() override { model_.OnCloseRequest(); }

 private:
  upgrade::UpgradeDialogModel& model_;
};

}  // namespace korvel::winapp
