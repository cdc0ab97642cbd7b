// The download of an upgrade file to a drive: 64 chunks of 8192 bytes with WRITE BUFFER, 63 in
// download-microcode mode and the last in download-and-save mode, then the wait for the save.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "transport/DeviceAddress.h"
#include "transport/ScsiTransport.h"
#include "upgrade/TransferBuffer.h"

namespace korvel::upgrade {

inline constexpr std::uint32_t kChunkBytes = 0x2000;
inline constexpr int kChunkCount = 64;
inline constexpr std::uint8_t kWriteBufferModeDownload = 4;
inline constexpr std::uint8_t kWriteBufferModeDownloadAndSave = 5;
inline constexpr std::uint8_t kWriteBufferId = 0;

struct TransferRequest {
  transport::ScsiTransport& transport;
  platform::FileSystem& files;
  platform::Kernel& kernel;
  transport::DeviceAddress address;
  std::string path;
  TransferBuffer& buffer;
  // Called after each chunk the drive accepted, with the number accepted so far.
  std::function<void(int chunksSent, int chunkCount)> progress;
  // False for a rehearsal: the file is read through and every other command sent, but no
  // WRITE BUFFER reaches the drive and there is no save to wait for.
  bool sendWriteBuffer = true;
  // Asked once, just before the first WRITE BUFFER: false stops the transfer there, with
  // nothing written. Not asked in a rehearsal.
  std::function<bool()> mayBeginWriting;
};

struct TransferOutcome {
  enum class Kind {
    Sent,           // all 64 chunks accepted (or, in a rehearsal, read)
    ChunkRefused,   // a mode-4 chunk failed; nothing more was sent
    SaveRefused,    // the mode-5 chunk failed, after the save wait
    NotUpgradable,  // the drive's type takes no upgrade; only its INQUIRY was sent
    CannotOpen,     // the file could not be opened; nothing was sent at all
    FileReadError,  // the file failed in the middle; no mode-5 chunk was sent
    Refused,        // a guard refused the flash; nothing was sent at all
    Interrupted,    // the program was asked to end before the first WRITE BUFFER
  };
  Kind kind = Kind::CannotOpen;
  // WRITE BUFFER commands the drive accepted (or chunks read, in a rehearsal).
  int chunksSent = 0;
  // Why the open failed, for CannotOpen.
  platform::DWORD fileError = 0;

  bool succeeded() const { return kind == Kind::Sent; }
};

// The file is opened before any command, so a file that cannot be opened costs the drive
// nothing; a file shorter than the transfer is padded with the erased state of flash.
TransferOutcome TransferFirmware(const TransferRequest& request);

}  // namespace korvel::upgrade
