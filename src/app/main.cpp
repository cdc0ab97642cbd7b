// korvel-upgrade: the desktop program that upgrades the firmware of Korvel drives.
#include "app/UpgradeApp.h"

int main(int argc, char** argv) {
  korvel::app::UpgradeApp application(argc, argv);
  return application.Run();
}
