#include "drive/ReadBlocksCompat.h"

#include "drive/CommandsStandard.h"
#include "drive/Identification.h"
#include "drive/ModeCompat.h"

namespace korvel::drive {

std::int32_t ReadBlocksCompat(transport::ScsiTransport& transport, std::uint8_t adapter,
                              std::uint8_t target, std::uint32_t blockAddress,
                              std::uint8_t blockCount, std::uint32_t blockSize,
                              std::uint8_t* buffer) {
  const bool readCdOnly = DriveTypeOf(transport, adapter, target) == kTenByteModeDriveType;
  if (readCdOnly && blockSize == kRawBlockSize) {
    return ReadCd(transport, adapter, target, kReadCdWholeSector, 0, blockAddress, blockCount,
                  kRawBlockSize, buffer);
  }
  if (readCdOnly && blockSize != kUserDataBlockSize) {
    return ReadCd(transport, adapter, target, kReadCdUserData, 0, blockAddress, blockCount,
                  kUserDataBlockSize, buffer);
  }
  return Read6WithBlockSize(transport, adapter, target, blockAddress, blockCount, blockSize,
                            buffer);
}

}  // namespace korvel::drive
