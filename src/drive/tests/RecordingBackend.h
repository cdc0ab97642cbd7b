// A command backend for the drive tests: records every command the transport hands it (CDB
// bytes, direction, transfer length, buffer) and plays a drive just far enough for the
// builders and adapters: INQUIRY answers with a configured identity, MODE SENSE with configured
// bytes, every other command with a configured status.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/testing/NullPlatform.h"
#include "transport/CommandBackend.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive::testing {

inline constexpr std::uint8_t kInquiryOpcode = 0x12;

inline constexpr char kProductRz6120[] = "CD-R   RZ6120   ";  // DriveType 18
inline constexpr char kProductRz5140[] = "CD-R   RZ5140   ";  // DriveType 16
inline constexpr char kProductCdRom[] = "CD-ROM          ";   // DriveType 17

struct RecordedCommand {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  std::vector<std::uint8_t> cdb;
  bool dataOut = false;
  std::uint8_t* buffer = nullptr;
  std::uint32_t length = 0;
  // The bytes sent, when the recorder was asked to keep them.
  std::vector<std::uint8_t> dataSent;
};

struct CommandRecorder {
  std::vector<RecordedCommand> commands;

  std::string product = kProductRz6120;
  // Status of every command but INQUIRY, which always succeeds.
  std::int32_t status = 1;
  // Delivered to MODE SENSE(6) and (10), up to the transfer length, whatever the status.
  std::vector<std::uint8_t> modeSenseData;
  // Keeps the data-out bytes; only for tests whose transfer lengths match real buffers.
  bool keepDataSent = false;

  std::vector<RecordedCommand> WithoutInquiry() const {
    std::vector<RecordedCommand> result;
    std::copy_if(commands.begin(), commands.end(), std::back_inserter(result),
                 [](const RecordedCommand& c) { return c.cdb.at(0) != kInquiryOpcode; });
    return result;
  }
};

class RecordingBackend : public transport::CommandBackend {
 public:
  explicit RecordingBackend(CommandRecorder& recorder) : recorder_(recorder) {}

  transport::BackendOutcome Execute(const transport::CommandRequest& request) override {
    RecordedCommand command;
    command.adapter = request.adapter;
    command.target = request.target;
    command.cdb.assign(request.cdb, request.cdb + request.cdbLength);
    command.dataOut = request.dataOut;
    command.buffer = request.buffer;
    command.length = request.length;
    if (request.dataOut && recorder_.keepDataSent && request.length > 0) {
      command.dataSent.assign(request.buffer, request.buffer + request.length);
    }
    recorder_.commands.push_back(command);

    const std::uint8_t op = request.cdb[0];
    if (op == kInquiryOpcode) return AnswerInquiry(request);
    if (op == 0x1A || op == 0x5A) {
      const std::size_t n = std::min<std::size_t>(request.length, recorder_.modeSenseData.size());
      if (n > 0) std::memcpy(request.buffer, recorder_.modeSenseData.data(), n);
    }
    transport::BackendOutcome outcome;
    outcome.status = recorder_.status;
    if (outcome.status != 1) outcome.sense = std::array<std::uint8_t, 14>{0x70, 0, 0x05};
    return outcome;
  }

 private:
  transport::BackendOutcome AnswerInquiry(const transport::CommandRequest& request) {
    std::array<std::uint8_t, 56> data{};
    data[0] = 0x05;
    std::memcpy(&data[8], "KORVEL  ", 8);
    std::memcpy(&data[16], recorder_.product.data(),
                std::min<std::size_t>(16, recorder_.product.size()));
    std::memcpy(&data[32], "1.00", 4);
    std::memcpy(request.buffer, data.data(), std::min<std::size_t>(request.length, data.size()));
    return {1, std::nullopt};
  }

  CommandRecorder& recorder_;
};

// A transport whose every command goes to a RecordingBackend.
struct RecordingTransport {
  RecordingTransport() { transport.SetHostBackend(std::make_unique<RecordingBackend>(recorder)); }

  platform::testing::NullPlatform platform;
  CommandRecorder recorder;
  transport::ScsiTransport transport{platform.platform};
};

}  // namespace korvel::drive::testing
