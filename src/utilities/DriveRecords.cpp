#include "utilities/DriveRecords.h"

namespace korvel::utilities {

int FindDriveRecord(unsigned adapter, unsigned target, const DriveRecordTable& records) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i][kDriveRecordAdapter] == (adapter & 0xFFu) &&
        records[i][kDriveRecordTarget] == (target & 0xFFu)) {
      return static_cast<int>(i);
    }
  }
  return 0;
}

}  // namespace korvel::utilities
