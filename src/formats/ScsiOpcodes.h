// Operation codes of the commands the system sends and the emulated drives answer: the SCSI and
// MMC commands by their standard names, the vendor commands by the maker's names. The CDB length
// follows from the opcode's group.
#pragma once

#include <cstdint>

namespace korvel::formats {

// 6 bytes for opcodes 0x00..0x1F, 10 for 0x20..0x5F, 12 for everything above: no CDB of 16 bytes
// is ever sent, the groups 0x60..0x9F go out with 12 bytes too.
constexpr std::uint8_t CdbLengthOf(std::uint8_t opcode) {
  if (opcode <= 0x1F) return 6;
  if (opcode <= 0x5F) return 10;
  return 12;
}

namespace opcode {

inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRezeroUnit = 0x01;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kRead6 = 0x08;
inline constexpr std::uint8_t kWrite6 = 0x0A;
inline constexpr std::uint8_t kSeek6 = 0x0B;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kModeSelect6 = 0x15;
inline constexpr std::uint8_t kReserve6 = 0x16;
inline constexpr std::uint8_t kRelease6 = 0x17;
inline constexpr std::uint8_t kModeSense6 = 0x1A;
inline constexpr std::uint8_t kStartStopUnit = 0x1B;
inline constexpr std::uint8_t kReceiveDiagnosticResults = 0x1C;
inline constexpr std::uint8_t kSendDiagnostic = 0x1D;
inline constexpr std::uint8_t kPreventAllowMediumRemoval = 0x1E;
inline constexpr std::uint8_t kReadCapacity = 0x25;
inline constexpr std::uint8_t kRead10 = 0x28;
inline constexpr std::uint8_t kWrite10 = 0x2A;
inline constexpr std::uint8_t kSeek10 = 0x2B;
inline constexpr std::uint8_t kVerify10 = 0x2F;
inline constexpr std::uint8_t kSynchronizeCache = 0x35;
inline constexpr std::uint8_t kWriteBuffer = 0x3B;
inline constexpr std::uint8_t kReadBuffer = 0x3C;
inline constexpr std::uint8_t kReadSubChannel = 0x42;
inline constexpr std::uint8_t kReadToc = 0x43;
inline constexpr std::uint8_t kReadHeader = 0x44;
inline constexpr std::uint8_t kPlayAudio10 = 0x45;
inline constexpr std::uint8_t kPlayAudioMsf = 0x47;
inline constexpr std::uint8_t kPlayAudioTrackIndex = 0x48;
inline constexpr std::uint8_t kPlayTrackRelative10 = 0x49;
inline constexpr std::uint8_t kGetEventStatusNotification = 0x4A;
inline constexpr std::uint8_t kPauseResume = 0x4B;
inline constexpr std::uint8_t kReadDiscInformation = 0x51;
inline constexpr std::uint8_t kReadTrackInformation = 0x52;
inline constexpr std::uint8_t kReserveTrack = 0x53;
inline constexpr std::uint8_t kSendOpcInformation = 0x54;
inline constexpr std::uint8_t kModeSelect10 = 0x55;
inline constexpr std::uint8_t kRepairTrack = 0x58;
inline constexpr std::uint8_t kModeSense10 = 0x5A;
inline constexpr std::uint8_t kCloseTrackSession = 0x5B;
inline constexpr std::uint8_t kReadBufferCapacity = 0x5C;
inline constexpr std::uint8_t kSendCueSheet = 0x5D;
inline constexpr std::uint8_t kBlank = 0xA1;
inline constexpr std::uint8_t kPlayAudio12 = 0xA5;
inline constexpr std::uint8_t kRead12 = 0xA8;
inline constexpr std::uint8_t kPlayTrackRelative12 = 0xA9;
inline constexpr std::uint8_t kWrite12 = 0xAA;
inline constexpr std::uint8_t kVerify12 = 0xAF;
inline constexpr std::uint8_t kSetCdSpeed = 0xBB;
inline constexpr std::uint8_t kReadCd = 0xBE;

// Vendor commands of the maker's drives.
inline constexpr std::uint8_t kVendorCd = 0xCD;
inline constexpr std::uint8_t kReadCdDa = 0xD8;
inline constexpr std::uint8_t kReadCdDaMsf = 0xD9;
inline constexpr std::uint8_t kVendorStatusDe = 0xDE;
inline constexpr std::uint8_t kReadSubCodeBlocks = 0xDF;
inline constexpr std::uint8_t kVendorReadE0 = 0xE0;
inline constexpr std::uint8_t kVendorE1 = 0xE1;
inline constexpr std::uint8_t kWriteDriveMemory = 0xE2;
inline constexpr std::uint8_t kReadDriveMemory = 0xE3;
inline constexpr std::uint8_t kVendorStatusE4 = 0xE4;
inline constexpr std::uint8_t kVendorReadE5 = 0xE5;
inline constexpr std::uint8_t kVendorWriteF0 = 0xF0;
inline constexpr std::uint8_t kVendorReadF1 = 0xF1;
inline constexpr std::uint8_t kVendorF7 = 0xF7;
inline constexpr std::uint8_t kVendorReadF8 = 0xF8;
inline constexpr std::uint8_t kVendorF9 = 0xF9;
inline constexpr std::uint8_t kVendorFa = 0xFA;
inline constexpr std::uint8_t kVendorReadFb = 0xFB;
inline constexpr std::uint8_t kVendorReadFc = 0xFC;
inline constexpr std::uint8_t kVendorFd = 0xFD;

}  // namespace opcode
}  // namespace korvel::formats
