// Numbers of the resources in resources/korvel-upgrade.rc that the program loads by id.
#pragma once

namespace korvel::winapp {

inline constexpr int kMainWindowDialog = 102;
inline constexpr int kAboutDialog = 100;
inline constexpr int kAppIcon = 128;
inline constexpr int kAboutMenuString = 101;

}  // namespace korvel::winapp
