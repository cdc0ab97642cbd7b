#include <gtest/gtest.h>

#include <memory>

#include "utilities/DriveRecords.h"

namespace korvel::utilities {
namespace {

// Every record starts out at an address no test asks for.
std::unique_ptr<DriveRecordTable> Records() {
  auto records = std::make_unique<DriveRecordTable>();
  for (DriveRecord& record : *records) {
    record.fill(0);
    record[kDriveRecordAdapter] = 0xEE;
    record[kDriveRecordTarget] = 0xEE;
  }
  return records;
}

void Put(DriveRecordTable& records, std::size_t index, std::uint8_t adapter, std::uint8_t target) {
  records[index][kDriveRecordAdapter] = adapter;
  records[index][kDriveRecordTarget] = target;
}

TEST(DriveRecordsTest, TheFirstOfTwoMatchingRecordsIsFound) {
  auto records = Records();
  Put(*records, 3, 1, 5);
  Put(*records, 7, 1, 5);
  EXPECT_EQ(FindDriveRecord(1, 5, *records), 3);
  EXPECT_EQ(FindDriveRecord(5, 1, *records), 0);
}

TEST(DriveRecordsTest, Record0AndNoRecordBothGive0) {
  auto records = Records();
  Put(*records, 0, 2, 4);
  Put(*records, 25, 3, 6);
  EXPECT_EQ(FindDriveRecord(2, 4, *records), 0);
  EXPECT_EQ(FindDriveRecord(2, 6, *records), 0);
  EXPECT_EQ(FindDriveRecord(3, 6, *records), 25);  // the last record is looked at too
}

TEST(DriveRecordsTest, OnlyTheLow8BitsOfTheAddressCount) {
  auto records = Records();
  Put(*records, 9, 0x01, 0x02);
  EXPECT_EQ(FindDriveRecord(0x101, 0x302, *records), 9);
}

}  // namespace
}  // namespace korvel::utilities
