#include "emulator/OtherMakerDevice.h"

#include "emulator/Opcodes.h"

namespace korvel::emulator {

CommandResult OtherMakerDevice::Dispatch(const Command& command) {
  switch (command.opcode()) {
    case opcode::kInquiry:
      return Inquiry(command);
    case opcode::kRequestSense:
      return RequestSense(command);
    case opcode::kTestUnitReady:
      return Good();
    default:
      return CheckCondition(sense::kInvalidOpcode);
  }
}

}  // namespace korvel::emulator
