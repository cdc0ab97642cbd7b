#include "emulator/drive/OtherMakerDevice.h"

#include "formats/ScsiOpcodes.h"

namespace korvel::emulator {

CommandResult OtherMakerDevice::Dispatch(const Command& command) {
  switch (command.opcode()) {
    case formats::opcode::kInquiry:
      return Inquiry(command);
    case formats::opcode::kRequestSense:
      return RequestSense(command);
    case formats::opcode::kTestUnitReady:
      return Good();
    default:
      return CheckCondition(sense::kInvalidOpcode);
  }
}

}  // namespace korvel::emulator
