// The values of a SCSI device's sysfs attributes, taken from the bytes the kernel gives: what a
// driver writes there is outside data, and it is read in one place, by functions that neither
// trust its length nor its contents.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvel::platform::linux_host {

struct ScsiAddress {
  int host = 0;
  int channel = 0;
  int target = 0;
  int lun = 0;
};

// "H:C:T:L" as the class directory names its entries; nothing for any other name.
std::optional<ScsiAddress> ParseScsiAddress(std::string_view name);

// A text attribute's value: sysfs ends it with one newline; blanks before it belong to it.
std::string_view TextAttributeValue(std::string_view raw);

// The "type" attribute: the peripheral device type 0..31, -1 for anything else.
int ParsePeripheralType(std::string_view raw);

// The identity fields of standard INQUIRY data (the binary "inquiry" attribute), trailing
// blanks and every other byte kept; nothing when the data ends before byte 36.
struct InquiryIdentity {
  std::string vendor;    // bytes 8..15
  std::string product;   // bytes 16..31
  std::string revision;  // bytes 32..35
};
std::optional<InquiryIdentity> IdentityFromInquiry(std::string_view data);

// The node an old kernel names in a link "<driver>:<node>" ("scsi_generic:sg3"); nothing when
// `name` is no such link or names no node.
std::optional<std::string> NodeOfLinkName(std::string_view name, std::string_view driver);

}  // namespace korvel::platform::linux_host
