// How the kernel's SG_IO hands a data-in buffer back, for stand-ins of it: the device writes into
// a zeroed buffer of the kernel's own, and all dxfer_len bytes of that buffer are copied out to
// the caller's when the ioctl returns, whatever became of the command. A refused command thus
// comes back as zeros (resid as the driver set it, often 0), a short answer with zeros after it
// and resid > 0. Data-out buffers are only read.
#pragma once

#include <scsi/sg.h>

#include <cstring>
#include <vector>

namespace korvel::platform::linux_host::testing {

// `device(header, error)` carries the command out on header.dxferp and returns 0, or -1 with an
// errno value in `error` for a request the ioctl fails.
template <typename Device>
int SendLikeTheKernel(sg_io_hdr_t& header, int& error, Device&& device) {
  if (header.dxfer_direction != SG_DXFER_FROM_DEV || header.dxfer_len == 0 ||
      header.dxferp == nullptr) {
    return device(header, error);
  }
  std::vector<unsigned char> own(header.dxfer_len, 0);
  void* const caller = header.dxferp;
  header.dxferp = own.data();
  const int result = device(header, error);
  header.dxferp = caller;
  // Also an ioctl that fails once the transfer was set up (EIO after a host reset, for one)
  // copies the buffer out.
  std::memcpy(caller, own.data(), own.size());
  return result;
}

}  // namespace korvel::platform::linux_host::testing
