#include "cli/CommandFailure.h"

#include <cstdio>

#include "formats/ScsiOpcodes.h"

namespace korvel::cli {

std::string CommandName(std::uint8_t opcode) {
  namespace op = formats::opcode;
  switch (opcode) {
    case op::kTestUnitReady:
      return "TEST UNIT READY";
    case op::kRequestSense:
      return "REQUEST SENSE";
    case op::kInquiry:
      return "INQUIRY";
    case op::kModeSelect6:
      return "MODE SELECT(6)";
    case op::kModeSelect10:
      return "MODE SELECT(10)";
    case op::kModeSense6:
      return "MODE SENSE(6)";
    case op::kModeSense10:
      return "MODE SENSE(10)";
    case op::kSetCdSpeed:
      return "SET CD SPEED";
    case op::kReadCapacity:
      return "READ CAPACITY";
    case op::kSeek10:
      return "SEEK(10)";
    case op::kReadSubChannel:
      return "READ SUB-CHANNEL";
    case op::kReadToc:
      return "READ TOC";
    case op::kReadDiscInformation:
      return "READ DISC INFORMATION";
    case op::kReadTrackInformation:
      return "READ TRACK INFORMATION";
    case op::kReadCd:
      return "READ CD";
    default: {
      char text[16];
      std::snprintf(text, sizeof text, "command 0x%02X", opcode);
      return text;
    }
  }
}

CommandFailure FailureOf(transport::ScsiTransport& transport, transport::DeviceAddress address,
                         std::int32_t status) {
  CommandFailure failure{"", status, std::nullopt};
  const std::optional<transport::LastCommandRecord>& last = transport.lastCommand();
  const bool sentHere = last && last->adapter == address.adapter &&
                        last->target == address.target && last->status == status;
  if (!sentHere) {
    failure.command = "no command (the routine refused to send)";
    return failure;
  }
  failure.command = CommandName(last->opcode);
  if (last->senseKept) {
    const std::int32_t sense = transport.LastSense(address.adapter, address.target);
    char text[16];
    std::snprintf(text, sizeof text, "%02X/%02X/%02X", (sense >> 16) & 0xFF, (sense >> 8) & 0xFF,
                  sense & 0xFF);
    failure.sense = text;
  }
  return failure;
}

}  // namespace korvel::cli
