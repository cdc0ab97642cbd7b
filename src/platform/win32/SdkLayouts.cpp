// The platform's request records and constants against the Windows SDK's on this 32-bit build:
// the pass-through back end hands its records to the driver unchanged, so every size, offset
// and code must be the SDK's.
#include <cstddef>
#include <cstdint>

#include "platform/Kernel.h"
#include "platform/NtScsiRecords.h"
#include "platform/WinTypes.h"

// The platform's codes, taken before the SDK's macros of the same names hide them.
namespace korvel::platform::win32::own_codes {
inline constexpr DWORD kPassThroughDirect = IOCTL_SCSI_PASS_THROUGH_DIRECT;
inline constexpr DWORD kGetAddress = IOCTL_SCSI_GET_ADDRESS;
inline constexpr DWORD kGetInquiryData = IOCTL_SCSI_GET_INQUIRY_DATA;
inline constexpr BYTE kDataIn = SCSI_IOCTL_DATA_IN;
inline constexpr BYTE kDataOut = SCSI_IOCTL_DATA_OUT;
inline constexpr BYTE kDataUnspecified = SCSI_IOCTL_DATA_UNSPECIFIED;
inline constexpr DWORD kGenericRead = GENERIC_READ;
inline constexpr DWORD kGenericWrite = GENERIC_WRITE;
inline constexpr DWORD kShareRead = FILE_SHARE_READ;
inline constexpr DWORD kOpenExisting = OPEN_EXISTING;
inline constexpr UINT kDriveCdrom = DRIVE_CDROM;
inline constexpr DWORD kPlatformNt = VER_PLATFORM_WIN32_NT;
inline constexpr DWORD kWaitTimeout = WAIT_TIMEOUT;
inline constexpr DWORD kInfinite = INFINITE;
inline constexpr DWORD kErrorMoreData = ERROR_MORE_DATA;
inline constexpr DWORD kErrorNoMoreItems = ERROR_NO_MORE_ITEMS;
}  // namespace korvel::platform::win32::own_codes

// After the platform headers and the codes above: the SDK's macros would rewrite them.
#include <windows.h>
// winioctl.h builds on windows.h's types,
#include <winioctl.h>
// and ntddscsi.h on winioctl.h's CTL_CODE.
#include <ntddscsi.h>

namespace korvel::platform::win32 {
namespace {

namespace sdk {
using ::OSVERSIONINFOA;
using ::SCSI_ADAPTER_BUS_INFO;
using ::SCSI_ADDRESS;
using ::SCSI_BUS_DATA;
using ::SCSI_INQUIRY_DATA;
using ::SCSI_PASS_THROUGH_DIRECT;
}  // namespace sdk

namespace own = korvel::platform;

#define KORVEL_SAME_LAYOUT(type, field)                                   \
  static_assert(offsetof(own::type, field) == offsetof(sdk::type, field), \
                #type "::" #field " is not where the SDK has it")

static_assert(sizeof(own::OSVERSIONINFOA) == sizeof(sdk::OSVERSIONINFOA));
KORVEL_SAME_LAYOUT(OSVERSIONINFOA, dwPlatformId);
KORVEL_SAME_LAYOUT(OSVERSIONINFOA, szCSDVersion);

static_assert(sizeof(own::SCSI_PASS_THROUGH_DIRECT) == sizeof(sdk::SCSI_PASS_THROUGH_DIRECT));
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, ScsiStatus);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, PathId);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, TargetId);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, Lun);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, CdbLength);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, SenseInfoLength);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, DataIn);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, DataTransferLength);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, TimeOutValue);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, DataBuffer);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, SenseInfoOffset);
KORVEL_SAME_LAYOUT(SCSI_PASS_THROUGH_DIRECT, Cdb);
static_assert(sizeof(own::SCSI_PASS_THROUGH_DIRECT::DataBuffer) == sizeof(void*));

static_assert(sizeof(own::SCSI_ADDRESS) == sizeof(sdk::SCSI_ADDRESS));
KORVEL_SAME_LAYOUT(SCSI_ADDRESS, PortNumber);
KORVEL_SAME_LAYOUT(SCSI_ADDRESS, PathId);
KORVEL_SAME_LAYOUT(SCSI_ADDRESS, TargetId);
KORVEL_SAME_LAYOUT(SCSI_ADDRESS, Lun);

static_assert(sizeof(own::SCSI_BUS_DATA) == sizeof(sdk::SCSI_BUS_DATA));
KORVEL_SAME_LAYOUT(SCSI_BUS_DATA, InitiatorBusId);
KORVEL_SAME_LAYOUT(SCSI_BUS_DATA, InquiryDataOffset);
KORVEL_SAME_LAYOUT(SCSI_ADAPTER_BUS_INFO, BusData);
KORVEL_SAME_LAYOUT(SCSI_INQUIRY_DATA, DeviceClaimed);
KORVEL_SAME_LAYOUT(SCSI_INQUIRY_DATA, InquiryDataLength);
KORVEL_SAME_LAYOUT(SCSI_INQUIRY_DATA, NextInquiryDataOffset);
KORVEL_SAME_LAYOUT(SCSI_INQUIRY_DATA, InquiryData);

#undef KORVEL_SAME_LAYOUT

static_assert(own_codes::kPassThroughDirect == IOCTL_SCSI_PASS_THROUGH_DIRECT);
static_assert(own_codes::kGetAddress == IOCTL_SCSI_GET_ADDRESS);
static_assert(own_codes::kGetInquiryData == IOCTL_SCSI_GET_INQUIRY_DATA);
static_assert(own_codes::kDataIn == SCSI_IOCTL_DATA_IN);
static_assert(own_codes::kDataOut == SCSI_IOCTL_DATA_OUT);
static_assert(own_codes::kDataUnspecified == SCSI_IOCTL_DATA_UNSPECIFIED);
static_assert(own_codes::kGenericRead == GENERIC_READ);
static_assert(own_codes::kGenericWrite == GENERIC_WRITE);
static_assert(own_codes::kShareRead == FILE_SHARE_READ);
static_assert(own_codes::kOpenExisting == OPEN_EXISTING);
static_assert(own_codes::kDriveCdrom == DRIVE_CDROM);
static_assert(own_codes::kPlatformNt == VER_PLATFORM_WIN32_NT);
static_assert(own_codes::kWaitTimeout == WAIT_TIMEOUT);
static_assert(own_codes::kInfinite == INFINITE);
static_assert(own_codes::kErrorMoreData == ERROR_MORE_DATA);
static_assert(own_codes::kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);

}  // namespace
}  // namespace korvel::platform::win32
