#include "platform/sim/PortInquiryData.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/NtScsiRecords.h"

namespace korvel::platform::sim {
namespace {

constexpr std::size_t kEntryHeader = offsetof(SCSI_INQUIRY_DATA, InquiryData);
constexpr std::size_t kEntrySize = kEntryHeader + kBootInquiryLength;
// A logical unit above 0 reports "supported but not connected" in its peripheral qualifier,
// so the entries of one target can be told apart.
constexpr BYTE kQualifierNotConnected = 0x20;

template <typename Record>
void Store(std::vector<BYTE>& image, std::size_t offset, const Record& record) {
  std::memcpy(image.data() + offset, &record, sizeof record);
}

}  // namespace

std::vector<BYTE> BuildPortInquiryData(const AdapterSettings& adapter,
                                       const std::vector<BusDevice*>& devices) {
  std::size_t buses = 1;
  for (const BusDevice* device : devices) {
    buses = std::max<std::size_t>(buses, device->target->bus + 1u);
  }
  const std::size_t busTable = offsetof(SCSI_ADAPTER_BUS_INFO, BusData);
  std::size_t size = busTable + buses * sizeof(SCSI_BUS_DATA);
  std::vector<BYTE> image(size, 0);
  image[offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses)] = static_cast<BYTE>(buses);

  for (std::size_t bus = 0; bus < buses; ++bus) {
    SCSI_BUS_DATA busData{};
    busData.InitiatorBusId = adapter.hostId;
    std::size_t previous = 0;  // offset of the last entry of this bus's chain
    for (const BusDevice* device : devices) {
      if (device->target->bus != bus || !device->bootInquiry) continue;
      for (BYTE lun = 0; lun < device->target->luns; ++lun) {
        const std::size_t offset = image.size();
        image.resize(offset + kEntrySize, 0);
        SCSI_INQUIRY_DATA entry{};
        entry.PathId = static_cast<BYTE>(bus);
        entry.TargetId = device->target->id;
        entry.Lun = lun;
        entry.DeviceClaimed = 1;
        entry.InquiryDataLength = kBootInquiryLength;
        entry.NextInquiryDataOffset = 0;
        std::memcpy(image.data() + offset, &entry, kEntryHeader);
        std::memcpy(image.data() + offset + kEntryHeader, device->bootInquiry->data(),
                    kBootInquiryLength);
        if (lun > 0) image[offset + kEntryHeader] |= kQualifierNotConnected;
        if (previous == 0) {
          busData.InquiryDataOffset = static_cast<DWORD>(offset);
        } else {
          const DWORD next = static_cast<DWORD>(offset);
          std::memcpy(image.data() + previous + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset),
                      &next, sizeof next);
        }
        previous = offset;
        ++busData.NumberOfLogicalUnits;
      }
    }
    Store(image, busTable + bus * sizeof(SCSI_BUS_DATA), busData);
  }
  return image;
}

}  // namespace korvel::platform::sim
