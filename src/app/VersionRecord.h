// The program's version record: its numbers and name strings. The application's metadata is
// taken from here, so that every place that names the program names it alike.
#pragma once

#include "app/DialogTemplates.h"

namespace korvel::app {

struct VersionRecord {
  const char* fileVersion;      // dotted, as tools compare it
  const char* fileVersionText;  // as the record's FileVersion string shows it
  const char* productVersionText;
  const char* companyName;
  const char* fileDescription;
  const char* internalName;
  const char* originalFilename;
  const char* productName;
  const char* legalCopyright;
};

inline constexpr VersionRecord kVersionRecord{
    "1.5.0.0",
    "1, 5, 0, 0",
    "1, 5, 0, 0",
    "Korvel",
    "Korvel Firmware Upgrade Program",
    "korvel-upgrade",
    "korvel-upgrade",
    "Korvel Firmware Upgrade",
    kCopyrightLine,
};

}  // namespace korvel::app
