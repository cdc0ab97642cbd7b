// What a device says it is: the vendor, product and revision fields of its INQUIRY data, each
// a terminated string with its trailing blanks kept.
#pragma once

namespace korvel::drive {

struct InquiryInfo {
  char vendor[9] = {};
  char product[17] = {};
  char revision[5] = {};
};

}  // namespace korvel::drive
