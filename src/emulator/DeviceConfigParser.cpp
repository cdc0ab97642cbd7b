// Reads one target of a scenario into a DeviceConfig, refusing anything it does not
// understand with a message that names the key path.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <string_view>

#include "emulator/ConfigError.h"
#include "emulator/DeviceFactory.h"
#include "emulator/JsonFields.h"
#include "emulator/drive/ModePages.h"
#include "emulator/images/DiscJson.h"

namespace korvel::emulator {
namespace {

using nlohmann::json;
using namespace json_fields;

constexpr std::string_view kKorvelVendor = "KORVEL  ";
constexpr std::string_view kDefaultProduct = "CD-ROM          ";
constexpr std::string_view kDefaultRevision = "1.00";
// Long enough for any test or demo; short enough to refuse a typing error.
constexpr std::uint64_t kMaxMilliseconds = 24ull * 3600 * 1000;

// An INQUIRY field: shorter texts are blank-padded, full-length texts are kept byte for byte.
template <std::size_t N>
std::array<char, N> ReadField(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  if (text.size() > N) Fail(path, "longer than " + std::to_string(N) + " characters");
  std::array<char, N> field;
  field.fill(' ');
  std::copy(text.begin(), text.end(), field.begin());
  return field;
}

template <std::size_t N>
std::array<char, N> FieldOf(std::string_view text) {
  std::array<char, N> field;
  field.fill(' ');
  std::copy_n(text.begin(), std::min(N, text.size()), field.begin());
  return field;
}

Maker DefaultMakerFor(const std::array<char, 8>& vendor) {
  const bool korvel =
      std::equal(vendor.begin(), vendor.end(), kKorvelVendor.begin(),
                 [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
  return korvel ? Maker::Korvel : Maker::Other;
}

Maker ReadMaker(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  if (text == "korvel") return Maker::Korvel;
  if (text == "other") return Maker::Other;
  Fail(path, "expected \"korvel\" or \"other\", got \"" + text + "\"");
}

SpeedFamily ReadSpeedFamily(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  if (text == "page-31") return SpeedFamily::VendorPage;
  if (text == "set-cd-speed") return SpeedFamily::SetCdSpeed;
  Fail(path, "expected \"page-31\" or \"set-cd-speed\"");
}

bool ReadTrayOpen(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  if (text == "open") return true;
  if (text == "closed") return false;
  Fail(path, "expected \"open\" or \"closed\", got \"" + text + "\"");
}

SenseCode ReadSense(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  const auto bad = [&] {
    Fail(path, "expected \"KK/AA/QQ\" in hexadecimal, got \"" + text + "\"");
  };
  if (text.size() != 8 || text[2] != '/' || text[5] != '/') bad();
  std::array<std::uint8_t, 3> parts{};
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const int high = HexDigit(text[i * 3]);
    const int low = HexDigit(text[i * 3 + 1]);
    if (high < 0 || low < 0) bad();
    parts[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  if (parts[0] > 0x0F) Fail(path, "the sense key is 0 to F");
  return {parts[0], parts[1], parts[2]};
}

FaultRule ReadFault(const json& value, const std::string& path) {
  RequireObject(value, path);
  RequireKnownKeys(value, path,
                   {"opcode", "mode", "occurrence", "and_later", "no_answer", "status", "sense"});
  FaultRule rule;
  if (!value.contains("opcode")) Fail(Join(path, "opcode"), "required");
  const json& opcodeValue = value["opcode"];
  if (!(opcodeValue.is_string() && opcodeValue.get_ref<const std::string&>() == "any")) {
    rule.opcode = static_cast<std::uint8_t>(ReadUnsigned(opcodeValue, Join(path, "opcode"), 0xFF));
  }
  if (value.contains("mode")) {
    rule.mode = static_cast<std::uint8_t>(ReadUnsigned(value["mode"], Join(path, "mode"), 7));
  }
  if (value.contains("occurrence")) {
    const auto n = ReadUnsigned(value["occurrence"], Join(path, "occurrence"),
                                std::numeric_limits<std::uint32_t>::max());
    if (n == 0) Fail(Join(path, "occurrence"), "counts from 1");
    rule.occurrence = static_cast<std::uint32_t>(n);
  }
  if (value.contains("and_later")) {
    rule.andLater = ReadBool(value["and_later"], Join(path, "and_later"));
    if (rule.andLater && !rule.occurrence) Fail(Join(path, "and_later"), "needs an occurrence");
  }
  if (value.contains("no_answer"))
    rule.noAnswer = ReadBool(value["no_answer"], Join(path, "no_answer"));
  if (rule.noAnswer) {
    if (value.contains("status") || value.contains("sense")) {
      Fail(path, "no_answer excludes status and sense");
    }
    return rule;
  }
  if (value.contains("status")) {
    rule.status =
        static_cast<std::uint8_t>(ReadUnsigned(value["status"], Join(path, "status"), 0xFF));
  }
  if (value.contains("sense")) {
    if (rule.status != kStatusCheckCondition) Fail(Join(path, "sense"), "only with status 2");
    rule.sense = ReadSense(value["sense"], Join(path, "sense"));
  } else if (rule.status == kStatusCheckCondition) {
    Fail(Join(path, "sense"), "required with status 2 (CHECK CONDITION)");
  }
  return rule;
}

std::vector<MemoryRegion> ReadMemory(const json& value, const std::string& path) {
  if (!value.is_array()) Fail(path, "expected a list");
  std::vector<MemoryRegion> regions;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const std::string itemPath = At(path, i);
    const json& item = value[i];
    RequireObject(item, itemPath);
    RequireKnownKeys(item, itemPath, {"address", "hex", "ascii"});
    if (!item.contains("address")) Fail(Join(itemPath, "address"), "required");
    MemoryRegion region;
    region.address = static_cast<std::uint32_t>(
        ReadUnsigned(item["address"], Join(itemPath, "address"), 0xFFFFFFFF));
    if (item.contains("hex") == item.contains("ascii"))
      Fail(itemPath, "give exactly one of hex and ascii");
    if (item.contains("hex")) {
      region.bytes = ReadHexBytes(item["hex"], Join(itemPath, "hex"));
    } else {
      const std::string& text = ReadString(item["ascii"], Join(itemPath, "ascii"));
      region.bytes.assign(text.begin(), text.end());
    }
    if (region.bytes.empty()) Fail(itemPath, "holds no bytes");
    const std::uint64_t end = std::uint64_t{region.address} + region.bytes.size();
    if (end > 0x100000000ull) Fail(itemPath, "runs past the end of the 32-bit address space");
    for (std::size_t j = 0; j < regions.size(); ++j) {
      const std::uint64_t otherEnd = std::uint64_t{regions[j].address} + regions[j].bytes.size();
      if (region.address < otherEnd && regions[j].address < end) {
        Fail(itemPath, "overlaps " + At(path, j));
      }
    }
    regions.push_back(std::move(region));
  }
  return regions;
}

ModePageMap ReadModePages(const json& value, const std::string& path) {
  RequireObject(value, path);
  ModePageMap pages;
  for (const auto& [key, pageValue] : value.items()) {
    const std::string pagePath = Join(path, key);
    std::string digits = key;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
      digits = digits.substr(2);
    }
    std::uint64_t code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, 16);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        code == 0 || code >= mode_layout::kAllPages) {
      Fail(pagePath, "expected a page code 01 to 3E in hexadecimal");
    }
    std::vector<std::uint8_t> page = ReadHexBytes(pageValue, pagePath);
    if (page.size() < 2) Fail(pagePath, "a page holds at least its code and length");
    if ((page[mode_layout::kPageCode] & mode_layout::kPageCodeMask) != code) {
      Fail(pagePath, "byte 0 does not hold the page code");
    }
    if (std::size_t{page[mode_layout::kPageLength]} + 2 != page.size()) {
      Fail(pagePath, "page length byte says " + std::to_string(page[mode_layout::kPageLength]) +
                         " but " + std::to_string(page.size() - 2) + " bytes follow it");
    }
    if (!PageLengthAcceptable(static_cast<std::uint8_t>(code), page.size() - 2)) {
      Fail(pagePath, "page length " + std::to_string(page.size() - 2) + " does not fit this page");
    }
    pages[static_cast<std::uint8_t>(code)] = std::move(page);
  }
  return pages;
}

}  // namespace

DeviceConfig ParseDeviceConfig(const json& target, const std::string& where,
                               const std::filesystem::path& baseDirectory) {
  RequireObject(target, where.empty() ? "target" : where);
  RequireKnownKeys(target, where,
                   {"id", "letter", "vendor", "product", "revision", "peripheral", "maker",
                    "faults", "delay_ms", "memory", "mode_pages", "disc", "restart_ms",
                    "speed_family", "vendor_memory", "vendor_status", "tray"});
  DeviceConfig config;
  config.vendor = target.contains("vendor") ? ReadField<8>(target["vendor"], Join(where, "vendor"))
                                            : FieldOf<8>(kKorvelVendor);
  config.product = target.contains("product")
                       ? ReadField<16>(target["product"], Join(where, "product"))
                       : FieldOf<16>(kDefaultProduct);
  config.revision = target.contains("revision")
                        ? ReadField<4>(target["revision"], Join(where, "revision"))
                        : FieldOf<4>(kDefaultRevision);
  if (target.contains("peripheral")) {
    config.peripheral = static_cast<std::uint8_t>(
        ReadUnsigned(target["peripheral"], Join(where, "peripheral"), 0xFF));
  }
  config.maker = target.contains("maker") ? ReadMaker(target["maker"], Join(where, "maker"))
                                          : DefaultMakerFor(config.vendor);
  if (target.contains("faults")) {
    const json& faults = target["faults"];
    const std::string path = Join(where, "faults");
    if (!faults.is_array()) Fail(path, "expected a list");
    for (std::size_t i = 0; i < faults.size(); ++i) {
      config.faults.push_back(ReadFault(faults[i], At(path, i)));
    }
  }
  if (target.contains("delay_ms")) {
    config.delayMs = ReadUnsigned(target["delay_ms"], Join(where, "delay_ms"), kMaxMilliseconds);
  }
  if (target.contains("restart_ms")) {
    config.restartMs =
        ReadUnsigned(target["restart_ms"], Join(where, "restart_ms"), kMaxMilliseconds);
  }
  if (target.contains("memory"))
    config.memory = ReadMemory(target["memory"], Join(where, "memory"));
  if (target.contains("vendor_memory")) {
    config.vendorMemory = ReadMemory(target["vendor_memory"], Join(where, "vendor_memory"));
  }
  if (target.contains("vendor_status")) {
    const std::string path = Join(where, "vendor_status");
    const std::vector<std::uint8_t> bytes = ReadHexBytes(target["vendor_status"], path);
    if (bytes.size() != config.vendorStatus.size()) Fail(path, "expected 2 bytes");
    std::copy(bytes.begin(), bytes.end(), config.vendorStatus.begin());
  }
  if (target.contains("mode_pages")) {
    config.modePages = ReadModePages(target["mode_pages"], Join(where, "mode_pages"));
  }
  if (target.contains("speed_family")) {
    config.speedFamily = ReadSpeedFamily(target["speed_family"], Join(where, "speed_family"));
  }
  if (target.contains("disc"))
    config.disc = ReadDisc(target["disc"], Join(where, "disc"), baseDirectory);
  if (target.contains("tray")) config.trayOpen = ReadTrayOpen(target["tray"], Join(where, "tray"));
  return config;
}

}  // namespace korvel::emulator
