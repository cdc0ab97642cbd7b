// A drive for the disc routine tests, played just far enough: SEEK(10) moves the head, READ
// SUB-CHANNEL reports the Q channel of the block under it (from a function of the test), READ
// TOC answers from bytes the test gives per format. Every command is recorded, and the debugger
// output is kept.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive/DiscPosition.h"
#include "formats/BigEndian.h"
#include "platform/testing/NullPlatform.h"
#include "transport/CommandBackend.h"
#include "transport/ScsiTransport.h"

namespace korvel::drive::testing {

class RecordingKernel : public platform::testing::NullKernel {
 public:
  void OutputDebugStringA(const char* text) override { debugOutput.emplace_back(text); }
  std::vector<std::string> debugOutput;
};

struct ScriptedDiscState {
  // The Q channel at a block; nothing makes READ SUB-CHANNEL fail.
  std::function<std::optional<QPosition>(std::int32_t)> qAt;
  // READ TOC answers by format (taken from the control byte or byte 2); a format without an
  // answer fails.
  std::map<int, std::vector<std::uint8_t>> toc;
  // SEEK(10) fails with 05/24/00 and leaves the head where it was.
  bool refuseSeek = false;
  std::vector<std::vector<std::uint8_t>> cdbs;
  std::vector<std::uint32_t> lengths;
  std::int32_t head = 0;
};

class ScriptedDiscBackend : public transport::CommandBackend {
 public:
  explicit ScriptedDiscBackend(ScriptedDiscState& state) : state_(state) {}

  transport::BackendOutcome Execute(const transport::CommandRequest& request) override {
    state_.cdbs.emplace_back(request.cdb, request.cdb + request.cdbLength);
    state_.lengths.push_back(request.length);
    switch (request.cdb[0]) {
      case 0x2B:  // SEEK(10): 24-bit address in bytes 3..5
        if (state_.refuseSeek) return IllegalRequest();
        state_.head = static_cast<std::int32_t>(formats::GetBigEndian(request.cdb + 3, 3));
        if (state_.head & 0x800000) state_.head -= 0x1000000;
        return Good();
      case 0x42:
        return SubChannel(request);
      case 0x43: {
        const int format = request.cdb[9] >> 6 ? request.cdb[9] >> 6 : request.cdb[2] & 0x0F;
        auto answer = state_.toc.find(format);
        if (answer == state_.toc.end()) return IllegalRequest();
        std::memcpy(request.buffer, answer->second.data(),
                    std::min<std::size_t>(request.length, answer->second.size()));
        return Good();
      }
      default:
        return IllegalRequest();
    }
  }

 private:
  static transport::BackendOutcome Good() { return {1, std::nullopt}; }
  static transport::BackendOutcome IllegalRequest() {
    return {4, std::array<std::uint8_t, 14>{0x70, 0, 0x05, 0, 0, 0, 0, 0x0A, 0, 0, 0, 0, 0x24}};
  }

  transport::BackendOutcome SubChannel(const transport::CommandRequest& request) {
    std::optional<QPosition> q = state_.qAt ? state_.qAt(state_.head) : std::nullopt;
    if (!q) return IllegalRequest();
    std::array<std::uint8_t, 16> answer{};
    answer[3] = 12;
    answer[4] = 0x01;
    answer[5] = q->adrControl;
    answer[6] = q->track;
    answer[7] = q->index;
    formats::PutBigEndian(&answer[8], static_cast<std::uint32_t>(q->absoluteAddress), 4);
    formats::PutBigEndian(&answer[12], static_cast<std::uint32_t>(q->relativeAddress), 4);
    std::memcpy(request.buffer, answer.data(), std::min<std::size_t>(request.length, 16));
    return Good();
  }

  ScriptedDiscState& state_;
};

struct ScriptedDiscTransport {
  ScriptedDiscTransport() {
    transport.SetHostBackend(std::make_unique<ScriptedDiscBackend>(state));
  }

  platform::testing::NullPlatform nullPlatform;
  RecordingKernel kernel;
  platform::Platform platform{kernel,
                              nullPlatform.deviceIo,
                              nullPlatform.registry,
                              nullPlatform.files,
                              nullPlatform.memory,
                              nullPlatform.versions,
                              nullPlatform.shell,
                              nullPlatform.volumes};
  ScriptedDiscState state;
  transport::ScsiTransport transport{platform};
};

}  // namespace korvel::drive::testing
