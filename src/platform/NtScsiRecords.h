// Windows NT SCSI pass-through records and I/O control codes, with the field layouts of the
// published 32-bit interface (natural alignment, 32-bit buffer field).
#pragma once

#include <cstddef>

#include "platform/Address32.h"
#include "platform/WinTypes.h"

namespace korvel::platform {

inline constexpr DWORD IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x0004D014;
inline constexpr DWORD IOCTL_SCSI_GET_INQUIRY_DATA = 0x0004100C;
inline constexpr DWORD IOCTL_SCSI_GET_ADDRESS = 0x00041018;

inline constexpr BYTE SCSI_IOCTL_DATA_OUT = 0;
inline constexpr BYTE SCSI_IOCTL_DATA_IN = 1;
inline constexpr BYTE SCSI_IOCTL_DATA_UNSPECIFIED = 2;

struct SCSI_PASS_THROUGH_DIRECT {
  WORD Length;
  BYTE ScsiStatus;
  BYTE PathId;
  BYTE TargetId;
  BYTE Lun;
  BYTE CdbLength;
  BYTE SenseInfoLength;
  BYTE DataIn;
  DWORD DataTransferLength;
  DWORD TimeOutValue;
  Address32 DataBuffer;
  DWORD SenseInfoOffset;
  BYTE Cdb[16];
};

// The request record that the pass-through back end hands DeviceIoControl: the request, a
// filler word and the sense area that SenseInfoOffset points at.
struct PassThroughRecord {
  SCSI_PASS_THROUGH_DIRECT spt;
  DWORD Filler;
  BYTE SenseBuf[32];
};

struct SCSI_ADDRESS {
  DWORD Length;
  BYTE PortNumber;
  BYTE PathId;
  BYTE TargetId;
  BYTE Lun;
};

struct SCSI_BUS_DATA {
  BYTE NumberOfLogicalUnits;
  BYTE InitiatorBusId;
  DWORD InquiryDataOffset;
};

struct SCSI_ADAPTER_BUS_INFO {
  BYTE NumberOfBuses;
  SCSI_BUS_DATA BusData[1];
};

struct SCSI_INQUIRY_DATA {
  BYTE PathId;
  BYTE TargetId;
  BYTE Lun;
  BYTE DeviceClaimed;
  DWORD InquiryDataLength;
  DWORD NextInquiryDataOffset;
  BYTE InquiryData[1];
};

static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, ScsiStatus) == 2);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, CdbLength) == 6);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataIn) == 8);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataTransferLength) == 12);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, TimeOutValue) == 16);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, DataBuffer) == 20);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset) == 24);
static_assert(offsetof(SCSI_PASS_THROUGH_DIRECT, Cdb) == 28);
static_assert(sizeof(PassThroughRecord) == 80);
static_assert(offsetof(PassThroughRecord, SenseBuf) == 48);
static_assert(sizeof(SCSI_ADDRESS) == 8);
static_assert(offsetof(SCSI_ADDRESS, PortNumber) == 4);
static_assert(offsetof(SCSI_ADDRESS, TargetId) == 6);
static_assert(sizeof(SCSI_BUS_DATA) == 8);
static_assert(offsetof(SCSI_BUS_DATA, InquiryDataOffset) == 4);
static_assert(offsetof(SCSI_ADAPTER_BUS_INFO, BusData) == 4);
static_assert(offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset) == 8);
static_assert(offsetof(SCSI_INQUIRY_DATA, InquiryData) == 12);

}  // namespace korvel::platform
