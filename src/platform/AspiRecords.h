// ASPI for Win32 request blocks and constants, with the byte layouts of the published
// interface (byte packing, 32-bit buffer and handle fields).
#pragma once

#include <cstddef>

#include "platform/Address32.h"
#include "platform/WinTypes.h"

namespace korvel::platform {

// SRB_Cmd values.
inline constexpr BYTE SC_HA_INQUIRY = 0x00;
inline constexpr BYTE SC_GET_DEV_TYPE = 0x01;
inline constexpr BYTE SC_EXEC_SCSI_CMD = 0x02;

// SRB_Status values.
inline constexpr BYTE SS_PENDING = 0x00;
inline constexpr BYTE SS_COMP = 0x01;
inline constexpr BYTE SS_ABORTED = 0x02;
inline constexpr BYTE SS_ERR = 0x04;
inline constexpr BYTE SS_INVALID_CMD = 0x80;
inline constexpr BYTE SS_INVALID_HA = 0x81;
inline constexpr BYTE SS_NO_DEVICE = 0x82;
inline constexpr BYTE SS_INVALID_SRB = 0xE0;
inline constexpr BYTE SS_FAILED_INIT = 0xE4;
inline constexpr BYTE SS_ASPI_IS_BUSY = 0xE5;
inline constexpr BYTE SS_BUFFER_TOO_BIG = 0xE6;
inline constexpr BYTE SS_NO_ADAPTERS = 0xE8;

// SRB_Flags bits.
inline constexpr BYTE SRB_POSTING = 0x01;
inline constexpr BYTE SRB_DIR_IN = 0x08;
inline constexpr BYTE SRB_DIR_OUT = 0x10;
inline constexpr BYTE SRB_EVENT_NOTIFY = 0x40;

inline constexpr std::size_t SENSE_LEN = 14;

#pragma pack(push, 1)

struct SRB_ExecSCSICmd {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
  BYTE SRB_Target;
  BYTE SRB_Lun;
  WORD SRB_Rsvd1;
  DWORD SRB_BufLen;
  Address32 SRB_BufPointer;
  BYTE SRB_SenseLen;
  BYTE SRB_CDBLen;
  BYTE SRB_HaStat;
  BYTE SRB_TargStat;
  Address32 SRB_PostProc;  // the event handle with SRB_EVENT_NOTIFY
  BYTE SRB_Rsvd2[20];
  BYTE CDBByte[16];
  BYTE SenseArea[SENSE_LEN + 2];
};

struct SRB_HAInquiry {
  BYTE SRB_Cmd;
  BYTE SRB_Status;
  BYTE SRB_HaId;
  BYTE SRB_Flags;
  DWORD SRB_Hdr_Rsvd;
  BYTE HA_Count;
  BYTE HA_SCSI_ID;
  BYTE HA_ManagerId[16];
  BYTE HA_Identifier[16];
  BYTE HA_Unique[16];
  WORD HA_Rsvd1;
};

#pragma pack(pop)

static_assert(sizeof(SRB_ExecSCSICmd) == 80);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_Target) == 8);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufLen) == 12);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_BufPointer) == 16);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_SenseLen) == 20);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_CDBLen) == 21);
static_assert(offsetof(SRB_ExecSCSICmd, SRB_PostProc) == 24);
static_assert(offsetof(SRB_ExecSCSICmd, CDBByte) == 48);
static_assert(offsetof(SRB_ExecSCSICmd, SenseArea) == 64);
static_assert(sizeof(SRB_HAInquiry) == 60);
static_assert(offsetof(SRB_HAInquiry, HA_Count) == 8);
static_assert(offsetof(SRB_HAInquiry, HA_SCSI_ID) == 9);
static_assert(offsetof(SRB_HAInquiry, HA_ManagerId) == 10);
static_assert(offsetof(SRB_HAInquiry, HA_Identifier) == 26);
static_assert(offsetof(SRB_HAInquiry, HA_Unique) == 42);

}  // namespace korvel::platform
