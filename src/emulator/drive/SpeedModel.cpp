#include "emulator/drive/SpeedModel.h"

#include <algorithm>
#include <string_view>

#include "emulator/drive/ModePages.h"

namespace korvel::emulator {
namespace {

constexpr std::string_view kCdRomPrefix = "CD-ROM";

// The firmware's read speed of each vendor page setting, in kB/s: 1x, 2x, 4x, 8x, 12x, 20x,
// and the fastest.
constexpr std::array<std::uint16_t, kVendorSpeedSettings> kSettingReadSpeeds = {
    176, 353, 706, 1411, 2117, 3528, 0xFFFF};

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

SpeedFamily SpeedFamilyOfProduct(const std::array<char, 16>& product) {
  const bool cdRom =
      std::equal(kCdRomPrefix.begin(), kCdRomPrefix.end(), product.begin(),
                 [](char wanted, char given) { return wanted == UpperAscii(given); });
  return cdRom ? SpeedFamily::VendorPage : SpeedFamily::SetCdSpeed;
}

bool SpeedModel::Accepts(std::uint8_t pageCode, std::span<const std::uint8_t> page,
                         std::optional<std::uint8_t>& newSetting) const {
  if (family_ != SpeedFamily::VendorPage || pageCode != kVendorSpeedPage) return true;
  if (page.size() <= kVendorSpeedSetting) return false;
  const std::uint8_t setting = page[kVendorSpeedSetting];
  if (setting >= kVendorSpeedSettings) return false;
  newSetting = setting;
  return true;
}

std::uint16_t SpeedModel::ReadSpeedOfSetting(std::uint8_t setting) {
  return kSettingReadSpeeds[std::min<std::size_t>(setting, kVendorSpeedSettings - 1)];
}

}  // namespace korvel::emulator
