// The values of sysfs attributes on any bytes: the device's address in its directory name, the
// peripheral type, the raw INQUIRY data and the old kernels' node link names.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/linux/SysfsAttributes.h"

using namespace korvel::platform::linux_host;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (auto address = ParseScsiAddress(bytes)) {
    if (address->host < 0 || address->channel < 0 || address->target < 0 || address->lun < 0) {
      __builtin_trap();
    }
  }
  const int type = ParsePeripheralType(bytes);
  if (type < -1 || type > 31) __builtin_trap();
  if (auto identity = IdentityFromInquiry(bytes)) {
    if (identity->vendor.size() != 8 || identity->product.size() != 16 ||
        identity->revision.size() != 4) {
      __builtin_trap();
    }
  }
  TextAttributeValue(bytes);
  NodeOfLinkName(bytes, "scsi_generic");
  NodeOfLinkName(bytes, "block");
  return 0;
}
