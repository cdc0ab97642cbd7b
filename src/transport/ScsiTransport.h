// The SCSI transport: runs one CDB against a device address through the back end chosen at
// start-up, returns its status (1 = success, anything else = failure) and keeps the sense bytes
// of failed commands. Owns the transport's tables and flags (TransportState).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "transport/CommandBackend.h"
#include "transport/CommandLog.h"
#include "transport/TransportState.h"

namespace korvel::transport {

// The last command ExecuteCommand ran, so that a caller of a routine that sends several can say
// which one failed.
struct LastCommandRecord {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  std::uint8_t opcode = 0;
  std::int32_t status = 0;
  // Whether the command failed with sense data, now in the address's SenseTable slot.
  bool senseKept = false;
};

class ScsiTransport {
 public:
  explicit ScsiTransport(platform::Platform& platform);
  ~ScsiTransport();
  ScsiTransport(const ScsiTransport&) = delete;
  ScsiTransport& operator=(const ScsiTransport&) = delete;

  // Sends `cdb` to (adapter, target), LUN 0, moving `length` bytes of `buffer` in the direction
  // DataOutTable gives for cdb[0]. Only the first CdbLengthOf(cdb[0]) bytes of cdb are read.
  // An address outside the 128 slots is refused (status other than 1), with no table touched.
  std::int32_t ExecuteCommand(std::uint8_t adapter, std::uint8_t target, const std::uint8_t* cdb,
                              std::uint8_t* buffer, std::uint32_t length);

  // Pass-through mode: the identity of (port = adapter, target) from the INQUIRY data the port
  // driver keeps. vendor/product/revision take 9/17/5 bytes. Peripheral byte x 256 + 1, or 0.
  std::int32_t PassThroughInquiry(std::uint8_t adapter, std::uint8_t target, char* vendor,
                                  char* product, char* revision);

  // (byte 2 x 65536) + (byte 12 x 256) + byte 13 of the address's sense slot; 0 for an address
  // outside the tables.
  std::int32_t LastSense(std::uint8_t adapter, std::uint8_t target) const;

  // The host's own back end (Linux SG_IO), used when neither ASPI nor the NT pass-through is.
  void SetHostBackend(std::unique_ptr<CommandBackend> backend);
  bool HasHostBackend() const { return hostBackend_ != nullptr; }

  // Every command from now on is written to `log` (null: no log).
  void SetCommandLog(CommandLog* log) { log_ = log; }
  CommandLog* commandLog() const { return log_; }

  // Nothing before the first command.
  const std::optional<LastCommandRecord>& lastCommand() const { return lastCommand_; }

  TransportState& state() { return state_; }
  const TransportState& state() const { return state_; }
  platform::Platform& platform() { return platform_; }

 private:
  CommandBackend& ActiveBackend();

  platform::Platform& platform_;
  TransportState state_;
  std::unique_ptr<CommandBackend> aspi_;
  std::unique_ptr<CommandBackend> passThrough_;
  std::unique_ptr<CommandBackend> hostBackend_;
  CommandLog* log_ = nullptr;
  std::optional<LastCommandRecord> lastCommand_;
};

}  // namespace korvel::transport
