// A device built from a scenario snippet on a virtual clock, and short ways to send it
// commands and read its answers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "emulator/ScsiTarget.h"
#include "emulator/Sense.h"
#include "emulator/VirtualClock.h"

namespace korvel::emulator::testing {

using Bytes = std::vector<std::uint8_t>;

class DeviceUnderTest {
 public:
  explicit DeviceUnderTest(const nlohmann::json& target);

  CommandResult In(const Bytes& cdb, Bytes& data);
  CommandResult Out(const Bytes& cdb, Bytes data);
  CommandResult NoData(const Bytes& cdb);
  // A data-in command (no data when `data` is empty) from a host adapter with auto-sense.
  CommandResult WithAutoSense(const Bytes& cdb, Bytes& data);
  // The 18 bytes of REQUEST SENSE.
  Bytes RequestSense();
  // Bytes 32..35 of the INQUIRY data.
  std::string Revision();

  VirtualClock clock;

 private:
  std::unique_ptr<ScsiTarget> device_;
};

SenseCode SenseOf(const CommandResult& result);
// Bytes written as hexadecimal pairs, blanks between them ignored: "00 1A 01 02".
Bytes Hex(std::string_view text);
// Sends a data-in command with a buffer of `size` bytes; the bytes moved, or the sense of a
// refusal as a failure of the test.
Bytes Answer(DeviceUnderTest& drive, const Bytes& cdb, std::size_t size);
std::string Text(const Bytes& bytes, std::size_t from, std::size_t length);

// WRITE BUFFER as the host builds it: 10-byte CDB, and parameter list length + 4 bytes of data.
Bytes WriteBufferCdb(std::uint8_t mode, std::uint32_t offset, std::uint32_t length);
// Sends `image` (kTransferBytes long) as 63 chunks in mode 4 and the last in mode 5; returns
// the results in order.
std::vector<CommandResult> DownloadFirmware(DeviceUnderTest& drive, const Bytes& image);

nlohmann::json Rz5140();  // a type 16 drive (format B), revision "1.00", a disc of 1000 blocks
nlohmann::json Rz6120();  // a type 18 drive (format A), revision "1.00", no disc

}  // namespace korvel::emulator::testing
