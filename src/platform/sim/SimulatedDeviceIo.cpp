#include "platform/sim/SimulatedDeviceIo.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/sim/PortInquiryData.h"

namespace korvel::platform::sim {
namespace {

std::optional<char> DriveLetterOf(char c) {
  if (!std::isalpha(static_cast<unsigned char>(c))) return std::nullopt;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::toupper(static_cast<unsigned char>(a)) ==
                  std::toupper(static_cast<unsigned char>(b));
         });
}

// "\\.\SCSI<n>:" with a decimal port number.
std::optional<unsigned> PortNumberOf(std::string_view name) {
  constexpr std::string_view kPrefix = "\\\\.\\SCSI";
  if (!StartsWithNoCase(name, kPrefix) || name.size() < kPrefix.size() + 2 || name.back() != ':') {
    return std::nullopt;
  }
  std::string_view digits = name.substr(kPrefix.size(), name.size() - kPrefix.size() - 1);
  if (digits.size() > 3 || !std::all_of(digits.begin(), digits.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
      })) {
    return std::nullopt;
  }
  unsigned port = 0;
  for (char c : digits) port = port * 10 + static_cast<unsigned>(c - '0');
  return port;
}

// "\\.\X:"
std::optional<char> DriveNameOf(std::string_view name) {
  if (name.size() != 6 || !StartsWithNoCase(name, "\\\\.\\") || name[5] != ':') {
    return std::nullopt;
  }
  return DriveLetterOf(name[4]);
}

}  // namespace

SimulatedDeviceIo::SimulatedDeviceIo(const Scenario& scenario, EmulatedBus& bus,
                                     AddressSpace32& memory, HandleSource& handles,
                                     LastError& lastError)
    : scenario_(scenario), bus_(bus), memory_(memory), handles_(handles), lastError_(lastError) {}

BOOL SimulatedDeviceIo::Fail(DWORD error) {
  lastError_.Set(error);
  return FALSE;
}

UINT SimulatedDeviceIo::GetDriveTypeA(const char* rootPath) {
  if (rootPath == nullptr) return DRIVE_NO_ROOT_DIR;
  std::string_view root(rootPath);
  if (root.size() != 3 || root[1] != ':' || root[2] != '\\') return DRIVE_NO_ROOT_DIR;
  std::optional<char> letter = DriveLetterOf(root[0]);
  if (!letter) return DRIVE_NO_ROOT_DIR;
  if (bus_.FindByLetter(*letter) != nullptr) return DRIVE_CDROM;
  auto it = scenario_.drives.find(*letter);
  return it == scenario_.drives.end() ? DRIVE_NO_ROOT_DIR : it->second;
}

HANDLE SimulatedDeviceIo::CreateFileA(const char* name, DWORD, DWORD, DWORD, DWORD) {
  if (name == nullptr) {
    Fail(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::optional<Opened> opened;
  // Windows 9x has no NT device namespace: these names name no file there.
  if (IsWindowsNt(scenario_.os)) {
    if (std::optional<char> letter = DriveNameOf(name)) {
      if (BusDevice* device = bus_.FindByLetter(*letter)) {
        opened = Opened{Kind::Drive, device, nullptr};
      } else if (scenario_.drives.count(*letter) != 0) {
        opened = Opened{Kind::Volume, nullptr, nullptr};
      }
    } else if (std::optional<unsigned> port = PortNumberOf(name); port && *port <= 255) {
      if (const AdapterSettings* adapter = bus_.AdapterByPort(static_cast<std::uint8_t>(*port))) {
        opened = Opened{Kind::Port, nullptr, adapter};
      }
    }
  }
  if (!opened) {
    Fail(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = handles_.Next();
  std::lock_guard lock(mutex_);
  opened_[handle] = *opened;
  return handle;
}

BOOL SimulatedDeviceIo::DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize,
                                        void* out, DWORD outSize, DWORD* bytesReturned) {
  std::optional<Opened> handle;
  {
    std::lock_guard lock(mutex_);
    auto it = opened_.find(device);
    if (it != opened_.end()) handle = it->second;
  }
  if (!handle) return Fail(ERROR_INVALID_HANDLE);
  if (bytesReturned != nullptr) *bytesReturned = 0;
  switch (code) {
    case IOCTL_SCSI_PASS_THROUGH_DIRECT:
      return PassThroughDirect(*handle, in, inSize, out, outSize, bytesReturned);
    case IOCTL_SCSI_GET_ADDRESS:
      return GetAddress(*handle, out, outSize, bytesReturned);
    case IOCTL_SCSI_GET_INQUIRY_DATA:
      return GetInquiryData(*handle, out, outSize, bytesReturned);
    default:
      return Fail(ERROR_INVALID_FUNCTION);
  }
}

BOOL SimulatedDeviceIo::PassThroughDirect(const Opened& handle, void* in, DWORD inSize, void* out,
                                          DWORD outSize, DWORD* bytesReturned) {
  if (handle.kind != Kind::Drive) return Fail(ERROR_INVALID_FUNCTION);
  if (in == nullptr || out == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (inSize < sizeof(SCSI_PASS_THROUGH_DIRECT) || outSize < sizeof(SCSI_PASS_THROUGH_DIRECT)) {
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  SCSI_PASS_THROUGH_DIRECT request;
  std::memcpy(&request, in, sizeof request);
  if (request.Length != sizeof request || request.CdbLength == 0 ||
      request.CdbLength > sizeof request.Cdb || request.DataIn > SCSI_IOCTL_DATA_UNSPECIFIED) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  // The sense window must lie in the output buffer, after the request itself.
  if (request.SenseInfoLength > 0 &&
      (request.SenseInfoOffset < sizeof request ||
       std::uint64_t{request.SenseInfoOffset} + request.SenseInfoLength > outSize)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::span<std::uint8_t> data;
  if (request.DataTransferLength > 0) {
    void* buffer = memory_.Resolve(request.DataBuffer, request.DataTransferLength);
    if (buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
    data = {static_cast<std::uint8_t*>(buffer), request.DataTransferLength};
  }
  const auto direction =
      request.DataIn == SCSI_IOCTL_DATA_OUT ? emulator::Direction::Out : emulator::Direction::In;
  emulator::CommandResult result =
      bus_.Execute(*handle.device, std::span<const std::uint8_t>(request.Cdb, request.CdbLength),
                   direction, data);
  auto* reply = static_cast<BYTE*>(out);
  if (!result.answered) {
    std::memcpy(reply, &request, sizeof request);
    return Fail(ERROR_SEM_TIMEOUT);
  }
  std::size_t senseBytes = 0;
  if (result.status == emulator::kStatusCheckCondition) {
    senseBytes = std::min<std::size_t>(request.SenseInfoLength, result.sense.size());
    std::memcpy(reply + request.SenseInfoOffset, result.sense.data(), senseBytes);
  }
  request.ScsiStatus = result.status;
  request.DataTransferLength = std::min(result.transferred, request.DataTransferLength);
  request.SenseInfoLength = static_cast<BYTE>(senseBytes);
  std::memcpy(reply, &request, sizeof request);
  if (bytesReturned != nullptr) {
    *bytesReturned =
        static_cast<DWORD>(senseBytes > 0 ? request.SenseInfoOffset + senseBytes : sizeof request);
  }
  return TRUE;
}

BOOL SimulatedDeviceIo::GetAddress(const Opened& handle, void* out, DWORD outSize,
                                   DWORD* bytesReturned) {
  if (handle.kind != Kind::Drive) return Fail(ERROR_INVALID_FUNCTION);
  if (out == nullptr || outSize < sizeof(SCSI_ADDRESS)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  SCSI_ADDRESS address{};
  address.Length = sizeof address;
  address.PortNumber = handle.device->adapter->port;
  address.PathId = handle.device->target->bus;
  address.TargetId = handle.device->target->id;
  address.Lun = 0;
  std::memcpy(out, &address, sizeof address);
  if (bytesReturned != nullptr) *bytesReturned = sizeof address;
  return TRUE;
}

BOOL SimulatedDeviceIo::GetInquiryData(const Opened& handle, void* out, DWORD outSize,
                                       DWORD* bytesReturned) {
  if (handle.kind != Kind::Port) return Fail(ERROR_INVALID_FUNCTION);
  std::vector<BYTE> image = BuildPortInquiryData(*handle.adapter, bus_.DevicesOf(*handle.adapter));
  if (out == nullptr || outSize < image.size()) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memcpy(out, image.data(), image.size());
  if (bytesReturned != nullptr) *bytesReturned = static_cast<DWORD>(image.size());
  return TRUE;
}

BOOL SimulatedDeviceIo::CloseHandle(HANDLE device) {
  std::lock_guard lock(mutex_);
  if (opened_.erase(device) == 0) return Fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

DWORD SimulatedDeviceIo::GetLastError() {
  return lastError_.Get();
}

int SimulatedDeviceIo::openHandles() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(opened_.size());
}

}  // namespace korvel::platform::sim
