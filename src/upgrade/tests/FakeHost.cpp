#include "FakeHost.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace korvel::upgrade::testing {

platform::HANDLE MemoryFileSystem::CreateFileA(const char* path, platform::DWORD access,
                                               platform::DWORD share, platform::DWORD creation,
                                               platform::DWORD attributes) {
  opens.push_back({path, access, share, creation, attributes});
  if (!files.contains(path)) {
    lastError_ = platform::ERROR_FILE_NOT_FOUND;
    return platform::INVALID_HANDLE_VALUE;
  }
  const bool lockedByUs = std::any_of(open_.begin(), open_.end(), [&](const auto& entry) {
    return entry.second.path == path && entry.second.exclusive;
  });
  if (heldByOther.contains(path) || lockedByUs) {
    lastError_ = platform::ERROR_SHARING_VIOLATION;
    return platform::INVALID_HANDLE_VALUE;
  }
  const platform::HANDLE handle = nextHandle_++;
  open_[handle] = OpenFile{path, 0, share == 0};
  return handle;
}

platform::DWORD MemoryFileSystem::SetFilePointer(platform::HANDLE file, platform::LONG distance,
                                                 platform::DWORD method) {
  auto it = open_.find(file);
  if (it == open_.end() || method != platform::FILE_BEGIN || distance < 0) {
    lastError_ = platform::ERROR_INVALID_PARAMETER;
    return platform::INVALID_SET_FILE_POINTER;
  }
  it->second.position = static_cast<std::uint64_t>(distance);
  return static_cast<platform::DWORD>(distance);
}

platform::BOOL MemoryFileSystem::ReadFile(platform::HANDLE file, void* buffer, platform::DWORD size,
                                          platform::DWORD* bytesRead) {
  auto it = open_.find(file);
  if (it == open_.end()) {
    lastError_ = platform::ERROR_INVALID_HANDLE;
    return 0;
  }
  OpenFile& open = it->second;
  reads.push_back({open.position, size});
  if (readErrorAt && *readErrorAt >= open.position && *readErrorAt < open.position + size) {
    lastError_ = platform::ERROR_READ_FAULT;
    *bytesRead = 0;
    return 0;
  }
  const std::vector<std::uint8_t>& bytes = files.at(open.path);
  const std::uint64_t available = open.position >= bytes.size() ? 0 : bytes.size() - open.position;
  const auto count = static_cast<platform::DWORD>(std::min<std::uint64_t>(size, available));
  if (count > 0) std::memcpy(buffer, bytes.data() + open.position, count);
  open.position += count;
  *bytesRead = count;
  return 1;
}

platform::BOOL MemoryFileSystem::CloseHandle(platform::HANDLE file) {
  return open_.erase(file) == 1 ? 1 : 0;
}

namespace {

constexpr std::int32_t kGood = 1;
// What an ASPI host adapter reports for a command that ended with CHECK CONDITION, and for an
// address with no device.
constexpr std::int32_t kError = 4;
constexpr std::int32_t kNoDevice = 0x82;

void PutText(std::uint8_t* out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out[i] = i < text.size() ? text[i] : ' ';
}

}  // namespace

transport::BackendOutcome FakeDriveBackend::Execute(const transport::CommandRequest& request) {
  SentCommand command;
  command.adapter = request.adapter;
  command.target = request.target;
  command.cdb.assign(request.cdb, request.cdb + request.cdbLength);
  command.dataOut = request.dataOut;
  command.length = request.length;
  if (request.dataOut && request.buffer != nullptr) {
    command.data.assign(request.buffer, request.buffer + request.length);
  }
  command.tick = kernel_.MillisecondsSinceStart();

  transport::BackendOutcome outcome;
  auto found = drives.find({request.adapter, request.target});
  if (found == drives.end()) {
    outcome.status = kNoDevice;
    command.status = outcome.status;
    sent.push_back(std::move(command));
    return outcome;
  }
  FakeDrive& drive = found->second;
  const std::uint8_t opcode = request.cdb[0];
  const int occurrence = occurrences_[{{request.adapter, request.target}, opcode}]++;
  bool failed = drive.fails && drive.fails(command, occurrence);
  if (opcode == 0x12 && drive.inquiriesAnswered && occurrence >= *drive.inquiriesAnswered) {
    failed = true;
  }

  if (failed) {
    outcome.status = kError;
    std::array<std::uint8_t, 14> sense{};
    sense[0] = 0x70;
    sense[2] = 0x05;
    sense[12] = 0x24;
    outcome.sense = sense;
  } else {
    outcome.status = kGood;
    switch (opcode) {
      case 0x12:
        std::memset(request.buffer, 0, request.length);
        PutText(request.buffer + 8, drive.vendor, 8);
        PutText(request.buffer + 16, drive.product, 16);
        PutText(request.buffer + 32, drive.revision, 4);
        break;
      case 0x03:
        std::memcpy(request.buffer, drive.sense.data(),
                    std::min<std::size_t>(request.length, drive.sense.size()));
        break;
      case 0xE3:
        std::memcpy(request.buffer, drive.memory4.data(),
                    std::min<std::size_t>(request.length, drive.memory4.size()));
        break;
      case 0x3B:
        if ((request.cdb[1] & 0x07) == 5 && drive.revisionAfterSave) {
          drive.revision = *drive.revisionAfterSave;
        }
        break;
      default:
        break;
    }
  }
  command.status = outcome.status;
  sent.push_back(std::move(command));
  return outcome;
}

std::vector<std::uint8_t> Opcodes(const std::vector<SentCommand>& commands) {
  std::vector<std::uint8_t> opcodes;
  for (const SentCommand& command : commands) opcodes.push_back(command.cdb[0]);
  return opcodes;
}

}  // namespace korvel::upgrade::testing
