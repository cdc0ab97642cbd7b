// How an emulated Korvel drive takes a read speed. The CD-ROM models run at the speed that the
// setting in their vendor page 0x31 names; the CD-R models take a speed in kB/s through SET CD
// SPEED and keep page 0x31 without acting on it. Both report the speed they run at in page 0x2A,
// and both obey SET CD SPEED.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace korvel::emulator {

enum class SpeedFamily {
  SetCdSpeed,  // SET CD SPEED only
  VendorPage,  // a MODE SELECT of page 0x31 sets the read speed too
};

// The family a product identification stands for: the CD-ROM models ("CD-ROM" first, letters in
// any case) take page 0x31, every other model SET CD SPEED.
SpeedFamily SpeedFamilyOfProduct(const std::array<char, 16>& product);

// Page 0x31: the drive speed setting in page byte 2, settings 0..6.
inline constexpr std::size_t kVendorSpeedSetting = 2;
inline constexpr std::uint8_t kVendorSpeedSettings = 7;

class SpeedModel {
 public:
  explicit SpeedModel(SpeedFamily family) : family_(family) {}

  // Looks at one page of a MODE SELECT before anything is changed: false refuses the list (a
  // vendor-page drive has settings 0..6 only). Notes the setting the list asks for.
  bool Accepts(std::uint8_t pageCode, std::span<const std::uint8_t> page,
               std::optional<std::uint8_t>& newSetting) const;
  // The read speed in kB/s that a vendor-page drive runs at for `setting` (0xFFFF: the fastest
  // it can).
  static std::uint16_t ReadSpeedOfSetting(std::uint8_t setting);

  SpeedFamily family() const { return family_; }

 private:
  SpeedFamily family_;
};

}  // namespace korvel::emulator
