// The mode pages a Korvel drive holds (error recovery 0x01, write parameters 0x05, capabilities
// 0x2A, vendor speed 0x31, and any the scenario adds), with the MODE SENSE answers in the 6- and
// 10-byte layouts and the MODE SELECT parameter lists that change them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <vector>

#include "emulator/Sense.h"

namespace korvel::emulator {

namespace mode_layout {
// MODE SENSE(6)/MODE SELECT(6) header.
inline constexpr std::size_t kHeader6Length = 4;
inline constexpr std::size_t kHeader6BlockDescriptorLength = 3;
// MODE SENSE(10)/MODE SELECT(10) header.
inline constexpr std::size_t kHeader10Length = 8;
inline constexpr std::size_t kHeader10BlockDescriptorLength = 6;
// Block descriptor.
inline constexpr std::size_t kBlockDescriptorLength = 8;
inline constexpr std::size_t kBlockCount = 1;   // 3 bytes
inline constexpr std::size_t kBlockLength = 5;  // 3 bytes
// Any page: code in the low 6 bits of byte 0, page length in byte 1.
inline constexpr std::size_t kPageCode = 0;
inline constexpr std::size_t kPageLength = 1;
inline constexpr std::uint8_t kPageCodeMask = 0x3F;
inline constexpr std::uint8_t kAllPages = 0x3F;
// Capabilities page 0x2A: the mechanism byte, whose lock state bit tells whether a host holds
// the tray locked; speeds in kB/s, 2 bytes each.
inline constexpr std::size_t kMechanism = 6;
inline constexpr std::uint8_t kLockStateBit = 0x02;
inline constexpr std::size_t kMaxReadSpeed = 8;
inline constexpr std::size_t kCurrentReadSpeed = 14;
inline constexpr std::size_t kMaxWriteSpeed = 18;
inline constexpr std::size_t kCurrentWriteSpeed = 20;
}  // namespace mode_layout

inline constexpr std::uint8_t kErrorRecoveryPage = 0x01;
inline constexpr std::uint8_t kWriteParametersPage = 0x05;
inline constexpr std::uint8_t kCapabilitiesPage = 0x2A;
inline constexpr std::uint8_t kVendorSpeedPage = 0x31;
// The capabilities page must reach the current write speed at bytes 20..21.
inline constexpr std::uint8_t kMinCapabilitiesPageLength = 0x14;
// The write parameters page of a CD-R drive of this era: up to the four subheader bytes.
inline constexpr std::uint8_t kWriteParametersPageLength = 0x32;

enum class PageControl : std::uint8_t { Current = 0, Changeable = 1, Default = 2, Saved = 3 };

using ModePageMap = std::map<std::uint8_t, std::vector<std::uint8_t>>;

// The pages a drive starts with when its scenario names none.
ModePageMap DefaultModePages();

// Whether a page of this code may have this page length: 6 for error recovery, 0x32 for write
// parameters, 2 for the vendor speed page, at least 0x14 for capabilities, anything for pages the
// drive adds.
bool PageLengthAcceptable(std::uint8_t pageCode, std::size_t pageLength);

class ModePageStore {
 public:
  // `overrides` replace default pages; `blocks` is the disc's block count for the block
  // descriptor (0 without a disc).
  ModePageStore(const ModePageMap& overrides, std::uint32_t blocks);

  // The answer of MODE SENSE(6): header, one block descriptor unless `withBlockDescriptor` is
  // false, the page(s). nullopt for a page the drive does not hold.
  std::optional<std::vector<std::uint8_t>> Sense6(std::uint8_t pageCode, PageControl control,
                                                  bool withBlockDescriptor) const;
  // The answer of MODE SENSE(10): 8-byte header without block descriptor, the page(s).
  std::optional<std::vector<std::uint8_t>> Sense10(std::uint8_t pageCode,
                                                   PageControl control) const;
  // Whether the drive takes one page of a MODE SELECT list as sent (code, then the whole page).
  using PageCheck = std::function<bool(std::uint8_t, std::span<const std::uint8_t>)>;
  // Applies a MODE SELECT parameter list (6- or 10-byte header); all or nothing. A page that
  // `check` refuses gives INVALID FIELD IN PARAMETER LIST.
  std::optional<SenseCode> Select(std::span<const std::uint8_t> list, bool tenByteHeader,
                                  const PageCheck& check = {});

  // SET CD SPEED: 0xFFFF asks for the maximum; a speed above the maximum is lowered to it.
  void SetCurrentSpeeds(std::uint16_t readKbps, std::uint16_t writeKbps);
  // The same for the read speed alone.
  void SetCurrentReadSpeed(std::uint16_t readKbps);

  // The lock state bit of the current capabilities page.
  void SetCurrentLockState(bool locked);

  // Byte `offset` of the current page `pageCode`; nothing when the drive does not hold it.
  std::optional<std::uint8_t> CurrentPageByte(std::uint8_t pageCode, std::size_t offset) const;

  std::uint32_t blockLength() const { return blockLength_; }

 private:
  std::optional<std::vector<std::uint8_t>> Pages(std::uint8_t pageCode, PageControl control) const;

  ModePageMap initial_;
  ModePageMap current_;
  std::uint32_t blocks_;
  std::uint32_t blockLength_;
};

}  // namespace korvel::emulator
