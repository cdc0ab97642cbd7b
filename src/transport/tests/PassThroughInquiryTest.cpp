#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "drive/Identification.h"
#include "platform/NtScsiRecords.h"
#include "platform/linux/LinuxPlatform.h"
#include "transport/ScsiTransport.h"

namespace korvel::transport {
namespace {

using namespace platform;

// A port driver whose IOCTL_SCSI_GET_INQUIRY_DATA reply is written byte by byte by the test.
class ScriptedPortIo : public linux_host::NoDeviceIo {
 public:
  std::vector<BYTE> reply = std::vector<BYTE>(4096, 0);
  BOOL DeviceIoControl(HANDLE, DWORD code, void*, DWORD, void* out, DWORD outSize,
                       DWORD* returned) override {
    if (code != IOCTL_SCSI_GET_INQUIRY_DATA) return 0;
    std::memcpy(out, reply.data(), std::min<std::size_t>(outSize, reply.size()));
    if (returned != nullptr) *returned = outSize;
    return 1;
  }

  void PutDword(std::size_t at, DWORD value) { std::memcpy(&reply[at], &value, sizeof value); }
  // One SCSI_INQUIRY_DATA entry at `at` for `target`, with `product` and peripheral byte.
  void PutEntry(std::size_t at, BYTE target, DWORD next, const char* product, BYTE peripheral) {
    reply[at + offsetof(SCSI_INQUIRY_DATA, TargetId)] = target;
    PutDword(at + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset), next);
    BYTE* inquiry = &reply[at + offsetof(SCSI_INQUIRY_DATA, InquiryData)];
    inquiry[0] = peripheral;
    std::memcpy(inquiry + 8, "KORVEL  ", 8);
    std::memcpy(inquiry + 16, product, 16);
    std::memcpy(inquiry + 32, "1.00", 4);
  }
  void PutBus(int bus, DWORD firstEntry) {
    reply[0] = static_cast<BYTE>(std::max<int>(reply[0], bus + 1));
    PutDword(offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + bus * sizeof(SCSI_BUS_DATA) +
                 offsetof(SCSI_BUS_DATA, InquiryDataOffset),
             firstEntry);
  }
};

class PassThroughInquiryTest : public ::testing::Test {
 protected:
  PassThroughInquiryTest()
      : platform_{machine_.platform().kernel,   io_,
                  machine_.platform().registry, machine_.platform().files,
                  machine_.platform().memory,   machine_.platform().versions,
                  machine_.platform().shell,    machine_.platform().volumes},
        transport_(platform_) {
    transport_.state().PassThroughMode = true;
    transport_.state().PortHandleTable[0] = 0x44;
  }
  std::int32_t Inquire(std::uint8_t target, drive::InquiryInfo& info) {
    return drive::InquireDrive(transport_, 0, target, info);
  }

  linux_host::LinuxPlatform machine_{false};
  ScriptedPortIo io_;
  Platform platform_;
  ScsiTransport transport_;
};

TEST_F(PassThroughInquiryTest, TakesTheFirstEntryOfATargetOnBus0) {
  io_.PutBus(0, 0x40);
  io_.PutEntry(0x40, 3, 0x100, "CD-R   RZ6120   ", 0x05);
  io_.PutEntry(0x100, 3, 0, "SECOND LUN      ", 0x05);
  drive::InquiryInfo info;
  EXPECT_EQ(Inquire(3, info), 0x0501);
  EXPECT_STREQ(info.vendor, "KORVEL  ");
  EXPECT_STREQ(info.product, "CD-R   RZ6120   ");
  EXPECT_STREQ(info.revision, "1.00");
  EXPECT_EQ(drive::DriveTypeOf(transport_, 0, 3), 18);
}

TEST_F(PassThroughInquiryTest, LooksAtNoOtherBusAndGivesThePeripheralByteUnsigned) {
  io_.PutBus(0, 0x40);
  io_.PutEntry(0x40, 1, 0, "CD-ROM          ", 0x85);
  io_.PutBus(1, 0x100);
  io_.PutEntry(0x100, 2, 0, "CD-ROM          ", 0x05);
  drive::InquiryInfo info;
  std::strcpy(info.product, "untouched");
  EXPECT_EQ(Inquire(2, info), 0);
  EXPECT_STREQ(info.product, "untouched");
  EXPECT_EQ(Inquire(1, info), 0x8501);
}

TEST_F(PassThroughInquiryTest, WalksAMalformedReplySafely) {
  drive::InquiryInfo info;
  io_.PutBus(0, 4090);  // an entry that would run past the end of the reply
  EXPECT_EQ(Inquire(3, info), 0);
  io_.PutBus(0, 0xFFFFFFF0u);
  EXPECT_EQ(Inquire(3, info), 0);
  io_.PutBus(0, 0x40);  // two entries pointing at each other, neither for target 3
  io_.PutEntry(0x40, 1, 0x80, "CD-ROM          ", 0x05);
  io_.PutEntry(0x80, 2, 0x40, "CD-ROM          ", 0x05);
  EXPECT_EQ(Inquire(3, info), 0);
  EXPECT_EQ(Inquire(2, info), 0x0501);
  EXPECT_EQ(drive::InquireDrive(transport_, 12, 2, info), 0) << "no such port";
}

}  // namespace
}  // namespace korvel::transport
