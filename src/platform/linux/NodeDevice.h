// The device a device node stands for: its number and kind. One number may be a block device
// and a character device of different drivers, so the kind belongs to it.
#pragma once

#include <sys/types.h>

namespace korvel::platform::linux_host {

struct NodeDevice {
  dev_t device = 0;
  bool isBlock = false;  // else a character device
};

}  // namespace korvel::platform::linux_host
