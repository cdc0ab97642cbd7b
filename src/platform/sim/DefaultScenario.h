// The scenario of the simulated PC when none is named: a Windows 98 PC with ASPI, three
// Korvel drives of different models on two host adapters and one CD-ROM drive of another maker.
#pragma once

#include <string_view>

#include "platform/sim/Scenario.h"

namespace korvel::platform::sim {

// The same text as scenarios/default.json.
inline constexpr std::string_view kDefaultScenarioJson = R"json({
  "os": "win98",
  "aspi": {
    "installed": true,
    "completion": "pending",
    "version": {
      "file_version": "4.71.2.0",
      "description": "ASPI for Win32 DLL",
      "company": "Quillmere Adapter Labs",
      "translation": "040904B0"
    }
  },
  "adapters": [
    {
      "id": 0,
      "driver": "vxscsi",
      "manager": "ASPI for WIN32",
      "host_id": 7,
      "targets": [
        {"id": 2, "letter": "E", "vendor": "KORVEL", "product": "CD-R   RZ5140   ", "revision": "1.00"},
        {"id": 4, "letter": "F", "vendor": "ACME", "product": "CD-ROM CX-400", "revision": "1.2A"}
      ]
    },
    {
      "id": 1,
      "driver": "qbscsi",
      "manager": "ASPI for WIN32",
      "host_id": 7,
      "targets": [
        {"id": 1, "letter": "G", "vendor": "KORVEL", "product": "CD-R   RZ6120   ", "revision": "2.00"},
        {"id": 5, "letter": "H", "vendor": "KORVEL", "product": "CD-ROM          ", "revision": "3.00"}
      ]
    }
  ],
  "drives": {
    "A": "removable",
    "C": {"type": "fixed", "sectors_per_cluster": 8, "bytes_per_sector": 512,
          "free_clusters": 393216, "total_clusters": 1048576}
  }
}
)json";

Scenario DefaultScenario();

}  // namespace korvel::platform::sim
