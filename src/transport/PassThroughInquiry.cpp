#include <array>
#include <cstring>

#include "platform/NtScsiRecords.h"
#include "transport/ScsiTransport.h"

namespace korvel::transport {

using namespace platform;

namespace {

constexpr DWORD kInquiryBufferSize = 4096;
// The INQUIRY fields copied out of an entry: vendor 8..15, product 16..31, revision 32..35.
constexpr std::size_t kInquiryBytesUsed = 36;

DWORD ReadDword(const std::array<BYTE, kInquiryBufferSize>& buffer, std::size_t offset) {
  DWORD value;
  std::memcpy(&value, buffer.data() + offset, sizeof value);
  return value;
}

void CopyField(char* out, const BYTE* in, std::size_t size) {
  std::memcpy(out, in, size);
  out[size] = '\0';
}

}  // namespace

std::int32_t ScsiTransport::PassThroughInquiry(std::uint8_t adapter, std::uint8_t target,
                                               char* vendor, char* product, char* revision) {
  std::array<BYTE, kInquiryBufferSize> buffer{};
  if (adapter < kMaxPorts) {
    DWORD returned = 0;
    platform_.deviceIo.DeviceIoControl(state_.PortHandleTable[adapter], IOCTL_SCSI_GET_INQUIRY_DATA,
                                       nullptr, 0, buffer.data(), kInquiryBufferSize, &returned);
  }

  // The reply comes from a driver: every offset is checked against the buffer, and a chain
  // that loops is cut after as many steps as entries could fit.
  constexpr std::size_t kEntryHeader = offsetof(SCSI_INQUIRY_DATA, InquiryData);
  constexpr std::size_t kMaxSteps = kInquiryBufferSize / kEntryHeader;
  DWORD offset = ReadDword(buffer, offsetof(SCSI_ADAPTER_BUS_INFO, BusData) +
                                       offsetof(SCSI_BUS_DATA, InquiryDataOffset));
  const BYTE* found = nullptr;
  for (std::size_t step = 0; offset != 0 && step < kMaxSteps; ++step) {
    if (offset > kInquiryBufferSize - kEntryHeader - kInquiryBytesUsed) break;
    if (buffer[offset + offsetof(SCSI_INQUIRY_DATA, TargetId)] == target) {
      found = buffer.data() + offset + kEntryHeader;
      break;
    }
    offset = ReadDword(buffer, offset + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset));
  }

  std::int32_t result = 0;
  if (found != nullptr) {
    CopyField(vendor, found + 8, 8);
    CopyField(product, found + 16, 16);
    CopyField(revision, found + 32, 4);
    result = found[0] * 256 + 1;
  }

  if (log_ != nullptr) {
    static constexpr std::uint8_t kInquiryCdb[6] = {0x12, 0x00, 0x00, 0x00, 0x38, 0x00};
    CommandLogEntry entry;
    entry.adapter = adapter;
    entry.target = target;
    entry.cdb = kInquiryCdb;
    entry.length = 56;
    entry.status = result == 0 ? 0 : 1;
    entry.fromHostData = true;
    log_->Record(entry);
  }
  return result;
}

}  // namespace korvel::transport
