// GET EVENT STATUS NOTIFICATION, polled, as the drive answers it: the media class alone, from
// the tray's state and its media event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/drive/Tray.h"

namespace korvel::emulator {

namespace event_status_layout {
// Event status header.
inline constexpr std::size_t kEventDataLength = 0;  // 2 bytes: the bytes after this field
inline constexpr std::size_t kNotificationClass = 2;
inline constexpr std::uint8_t kNoEventAvailable = 0x80;
inline constexpr std::size_t kSupportedClasses = 3;
inline constexpr std::size_t kHeaderLength = 4;
// Media event descriptor, after the header.
inline constexpr std::size_t kMediaEventCode = 0;
inline constexpr std::size_t kMediaStatus = 1;
inline constexpr std::uint8_t kTrayOpenBit = 0x01;
inline constexpr std::uint8_t kMediaPresentBit = 0x02;
inline constexpr std::size_t kStartSlot = 2;
inline constexpr std::size_t kEndSlot = 3;
inline constexpr std::size_t kMediaDescriptorLength = 4;
// Class 4, bit 4 of the class request and of the supported classes.
inline constexpr std::uint8_t kMediaClass = 4;
inline constexpr std::uint8_t kMediaClassBit = 1 << kMediaClass;
}  // namespace event_status_layout

// What the tray shows a poll.
struct MediaStatus {
  MediaEvent event = MediaEvent::NoChange;
  bool trayOpen = false;
  bool mediaPresent = false;
};

// The whole answer to the class request of CDB byte 4: header and media event descriptor when
// the media class is asked for, else the header alone with no event available.
std::vector<std::uint8_t> EventStatusAnswer(std::uint8_t classRequest, const MediaStatus& status);

}  // namespace korvel::emulator
