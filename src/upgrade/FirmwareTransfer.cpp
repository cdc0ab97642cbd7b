#include "upgrade/FirmwareTransfer.h"

#include <algorithm>
#include <span>

#include "drive/Commands.h"
#include "drive/Identification.h"
#include "formats/UpgradeFileFormat.h"
#include "upgrade/TickWait.h"
#include "upgrade/UpgradeFileReader.h"

namespace korvel::upgrade {
namespace {

static_assert(kChunkBytes * kChunkCount == formats::kTransferBytes);
static_assert(kChunkBytes + drive::kWriteBufferExtraBytes <= kTransferBufferSize);

// Reads the next chunk into the start of the buffer; past the end of the file the rest is
// padding, never what an earlier read left there.
bool ReadChunk(UpgradeFileReader& file, TransferBuffer& buffer) {
  const std::span<std::uint8_t> chunk(buffer.data(), kChunkBytes);
  std::uint32_t delivered = 0;
  if (file.ReadExactly(chunk, delivered) == UpgradeFileReader::ReadResult::Error) return false;
  std::fill(chunk.begin() + delivered, chunk.end(), formats::kPadByte);
  return true;
}

bool IsTransferType(drive::DriveType type) {
  return formats::FormatForDriveType(type) != nullptr;
}

}  // namespace

TransferOutcome TransferFirmware(const TransferRequest& request) {
  const auto [adapter, target] = request.address;
  TransferOutcome outcome;
  UpgradeFileReader file(request.files, request.path);
  if (!file.IsOpen() || !file.Seek(0)) {
    outcome.kind = TransferOutcome::Kind::CannotOpen;
    outcome.fileError = file.IsOpen() ? platform::ERROR_READ_FAULT : file.OpenError();
    return outcome;
  }

  if (!IsTransferType(drive::DriveTypeOf(request.transport, adapter, target))) {
    outcome.kind = TransferOutcome::Kind::NotUpgradable;
    return outcome;
  }

  TransferBuffer& buffer = request.buffer;
  drive::RezeroUnit(request.transport, adapter, target);
  drive::RequestSense(request.transport, adapter, target, buffer.data());
  // WRITE BUFFER moves 4 bytes past the chunk; they are the same every time rather than
  // whatever the checksum pass or a sense answer left.
  std::fill_n(buffer.begin() + kChunkBytes, drive::kWriteBufferExtraBytes, std::uint8_t{0});

  for (int chunk = 0; chunk < kChunkCount; ++chunk) {
    if (!ReadChunk(file, buffer)) {
      outcome.kind = TransferOutcome::Kind::FileReadError;
      return outcome;
    }
    const bool last = chunk == kChunkCount - 1;
    const std::uint8_t mode = last ? kWriteBufferModeDownloadAndSave : kWriteBufferModeDownload;
    if (chunk == 0 && request.sendWriteBuffer && request.mayBeginWriting &&
        !request.mayBeginWriting()) {
      outcome.kind = TransferOutcome::Kind::Interrupted;
      return outcome;
    }
    std::int32_t status = 1;
    if (request.sendWriteBuffer) {
      status = drive::WriteBuffer(request.transport, adapter, target, mode, kWriteBufferId,
                                  static_cast<std::uint32_t>(chunk) * kChunkBytes, kChunkBytes,
                                  buffer.data());
    }
    if (last) {
      // The drive is saving whether or not it reported success; give it its time.
      if (request.sendWriteBuffer) WaitOnTickCount(request.kernel, kSaveWaitMs);
      if (status != 1) {
        outcome.kind = TransferOutcome::Kind::SaveRefused;
        return outcome;
      }
    } else if (status != 1) {
      outcome.kind = TransferOutcome::Kind::ChunkRefused;
      return outcome;
    }
    ++outcome.chunksSent;
    if (request.progress) request.progress(outcome.chunksSent, kChunkCount);
  }
  outcome.kind = TransferOutcome::Kind::Sent;
  return outcome;
}

}  // namespace korvel::upgrade
