// A small stand-in host for the upgrade's tests: a kernel whose tick counter moves one step per
// reading and by the time of each sleep, files held in memory, and drives that answer from a table
// and record every command.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/LentAddressSpace.h"
#include "platform/Platform.h"
#include "platform/testing/NullPlatform.h"
#include "transport/CommandBackend.h"
#include "transport/ScsiTransport.h"

namespace korvel::upgrade::testing {

class FakeKernel : public platform::testing::NullKernel {
 public:
  platform::DWORD tick = 100000;
  platform::DWORD step = 1;
  // Whether a sleep lets its time pass on the counter; false models a sleep that comes back
  // at once.
  bool sleepMovesTick = true;
  int readings = 0;
  std::vector<platform::DWORD> sleeps;
  std::vector<std::string> debugOutput;

  platform::DWORD GetTickCount() override {
    ++readings;
    const platform::DWORD now = tick;
    tick += step;
    return now;
  }
  void Sleep(platform::DWORD milliseconds) override {
    sleeps.push_back(milliseconds);
    if (sleepMovesTick) tick += milliseconds;
  }
  std::uint64_t MillisecondsSinceStart() override { return tick; }
  void OutputDebugStringA(const char* text) override { debugOutput.emplace_back(text); }
};

// Files in memory. Opening without sharing locks a file against every later opener until it is
// closed; files in `heldByOther` are locked from the start.
class MemoryFileSystem : public platform::FileSystem {
 public:
  struct OpenCall {
    std::string path;
    platform::DWORD access, shareMode, creation, attributes;
  };
  struct ReadCall {
    std::uint64_t offset;
    platform::DWORD size;
  };

  std::map<std::string, std::vector<std::uint8_t>> files;
  std::set<std::string> heldByOther;
  // A read that touches this offset fails.
  std::optional<std::uint64_t> readErrorAt;
  std::vector<OpenCall> opens;
  std::vector<ReadCall> reads;

  int OpenHandles() const { return static_cast<int>(open_.size()); }

  platform::HANDLE CreateFileA(const char* path, platform::DWORD access, platform::DWORD share,
                               platform::DWORD creation, platform::DWORD attributes) override;
  platform::DWORD SetFilePointer(platform::HANDLE file, platform::LONG distance,
                                 platform::DWORD method) override;
  platform::BOOL ReadFile(platform::HANDLE file, void* buffer, platform::DWORD size,
                          platform::DWORD* bytesRead) override;
  platform::BOOL CloseHandle(platform::HANDLE file) override;
  platform::DWORD GetFileAttributesA(const char* path) override {
    if (path != nullptr && files.count(path) != 0) return platform::FILE_ATTRIBUTE_NORMAL;
    lastError_ = platform::ERROR_FILE_NOT_FOUND;
    return platform::INVALID_FILE_ATTRIBUTES;
  }
  platform::DWORD GetLastError() override { return lastError_; }

 private:
  struct OpenFile {
    std::string path;
    std::uint64_t position = 0;
    bool exclusive = false;
  };
  std::map<platform::HANDLE, OpenFile> open_;
  platform::HANDLE nextHandle_ = 0x100;
  platform::DWORD lastError_ = 0;
};

// One command as the drive saw it.
struct SentCommand {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  std::vector<std::uint8_t> cdb;
  bool dataOut = false;
  std::uint32_t length = 0;
  std::vector<std::uint8_t> data;  // what went out, for data-out commands
  platform::DWORD tick = 0;        // the tick counter when it was sent
  std::int32_t status = 0;
};

struct FakeDrive {
  std::string vendor = "KORVEL  ";
  std::string product = "CD-R   RZ5140   ";
  std::string revision = "1.00";
  // Answer to REQUEST SENSE (18 bytes).
  std::vector<std::uint8_t> sense = std::vector<std::uint8_t>(18, 0);
  std::vector<std::uint8_t> memory4 = {'M', '1', '.', '2'};
  // The revision reported after a saved download.
  std::optional<std::string> revisionAfterSave;
  // Decides whether a command fails: its index among the commands of the same opcode
  // (0-based) and the command itself. Failures answer CHECK CONDITION.
  std::function<bool(const SentCommand&, int occurrence)> fails;
  // INQUIRY answers stop after this many (the device then stops answering it).
  std::optional<int> inquiriesAnswered;
};

class FakeDriveBackend : public transport::CommandBackend {
 public:
  FakeDriveBackend(platform::Kernel& kernel) : kernel_(kernel) {}
  std::map<std::pair<int, int>, FakeDrive> drives;
  std::vector<SentCommand> sent;

  transport::BackendOutcome Execute(const transport::CommandRequest& request) override;

 private:
  platform::Kernel& kernel_;
  std::map<std::pair<std::pair<int, int>, std::uint8_t>, int> occurrences_;
};

// The whole host: platform, transport and its drives.
struct FakeHost {
  FakeKernel kernel;
  platform::testing::NullDeviceIo deviceIo;
  platform::testing::NullRegistry registry;
  MemoryFileSystem files;
  platform::LentAddressSpace memory;
  platform::testing::NullVersionInfo versions;
  platform::testing::NullShell shell;
  platform::testing::NullVolumes volumes;
  platform::Platform platform{kernel, deviceIo, registry, files, memory, versions, shell, volumes};
  transport::ScsiTransport transport{platform};
  FakeDriveBackend* drives = nullptr;

  FakeHost() {
    auto backend = std::make_unique<FakeDriveBackend>(kernel);
    drives = backend.get();
    transport.SetHostBackend(std::move(backend));
  }
  std::vector<SentCommand>& sent() { return drives->sent; }
  FakeDrive& Drive(int adapter, int target) { return drives->drives[{adapter, target}]; }
};

// The opcodes of the commands sent, in order.
std::vector<std::uint8_t> Opcodes(const std::vector<SentCommand>& commands);

}  // namespace korvel::upgrade::testing
