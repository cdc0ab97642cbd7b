// Reads one target of a scenario into a DeviceConfig, refusing anything it does not
// understand with a message that names the key path.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <set>
#include <string_view>

#include "emulator/ConfigError.h"
#include "emulator/DeviceFactory.h"
#include "emulator/ModePages.h"

namespace korvel::emulator {
namespace {

using nlohmann::json;

constexpr std::string_view kKorvelVendor = "KORVEL  ";
constexpr std::string_view kDefaultProduct = "CD-ROM          ";
constexpr std::string_view kDefaultRevision = "1.00";
// Long enough for any test or demo; short enough to refuse a typing error.
constexpr std::uint64_t kMaxMilliseconds = 24ull * 3600 * 1000;
constexpr std::uint64_t kMaxDiscBlocks = 0xFFFFFF;

std::string Join(const std::string& where, std::string_view key) {
  return where.empty() ? std::string(key) : where + "." + std::string(key);
}

std::string At(const std::string& where, std::size_t index) {
  return where + "[" + std::to_string(index) + "]";
}

[[noreturn]] void Fail(const std::string& path, const std::string& fault) {
  throw ConfigError(path + ": " + fault);
}

void RequireObject(const json& value, const std::string& path) {
  if (!value.is_object()) Fail(path, "expected an object");
}

// Refuses keys outside `known`, naming every one.
void RequireKnownKeys(const json& object, const std::string& path,
                      std::initializer_list<std::string_view> known) {
  std::string faults;
  for (const auto& [key, value] : object.items()) {
    if (std::find(known.begin(), known.end(), key) != known.end()) continue;
    if (!faults.empty()) faults += "; ";
    faults += Join(path, key) + ": unknown key";
  }
  if (!faults.empty()) throw ConfigError(faults);
}

// A non-negative integer, as a JSON number or as a text in decimal or "0x" hexadecimal.
std::uint64_t ReadUnsigned(const json& value, const std::string& path, std::uint64_t maximum) {
  std::uint64_t number = 0;
  if (value.is_number_unsigned()) {
    number = value.get<std::uint64_t>();
  } else if (value.is_number_integer()) {
    const auto signedNumber = value.get<std::int64_t>();
    if (signedNumber < 0) Fail(path, "must not be negative");
    number = static_cast<std::uint64_t>(signedNumber);
  } else if (value.is_number_float()) {
    // Fractional, or a whole number beyond 64 bits, which the JSON reader keeps as a double.
    Fail(path, value.dump() + " is not a whole number from 0 to " + std::to_string(maximum));
  } else if (value.is_string()) {
    const std::string& text = value.get_ref<const std::string&>();
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, number, hex ? 16 : 10);
    if (text.empty() || error != std::errc() || end != last) {
      Fail(path, "expected a number (decimal or 0x hexadecimal), got \"" + text + "\"");
    }
  } else {
    Fail(path, "expected a number");
  }
  if (number > maximum) Fail(path, "must be at most " + std::to_string(maximum));
  return number;
}

bool ReadBool(const json& value, const std::string& path) {
  if (!value.is_boolean()) Fail(path, "expected true or false");
  return value.get<bool>();
}

const std::string& ReadString(const json& value, const std::string& path) {
  if (!value.is_string()) Fail(path, "expected a string");
  return value.get_ref<const std::string&>();
}

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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Hexadecimal bytes; blanks between them are allowed for readability.
std::vector<std::uint8_t> ReadHexBytes(const json& value, const std::string& path) {
  const std::string& text = ReadString(value, path);
  std::string digits;
  for (char c : text) {
    if (c == ' ') continue;
    if (HexDigit(c) < 0)
      Fail(path, "expected hexadecimal digits, found '" + std::string(1, c) + "'");
    digits += c;
  }
  if (digits.size() % 2 != 0) Fail(path, "odd number of hexadecimal digits");
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1])));
  }
  return bytes;
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

std::optional<DiscConfig> ReadDisc(const json& value, const std::string& path) {
  if (value.is_null()) return std::nullopt;
  RequireObject(value, path);
  RequireKnownKeys(value, path, {"blocks"});
  if (!value.contains("blocks")) Fail(Join(path, "blocks"), "required");
  const auto blocks = ReadUnsigned(value["blocks"], Join(path, "blocks"), kMaxDiscBlocks);
  if (blocks == 0) Fail(Join(path, "blocks"), "a disc holds at least one block");
  return DiscConfig{static_cast<std::uint32_t>(blocks)};
}

}  // namespace

DeviceConfig ParseDeviceConfig(const json& target, const std::string& where) {
  RequireObject(target, where.empty() ? "target" : where);
  RequireKnownKeys(
      target, where,
      {"id", "letter", "vendor", "product", "revision", "peripheral", "maker", "faults", "delay_ms",
       "memory", "mode_pages", "disc", "restart_ms", "speed_family"});
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
  if (target.contains("mode_pages")) {
    config.modePages = ReadModePages(target["mode_pages"], Join(where, "mode_pages"));
  }
  if (target.contains("speed_family")) {
    config.speedFamily = ReadSpeedFamily(target["speed_family"], Join(where, "speed_family"));
  }
  if (target.contains("disc")) config.disc = ReadDisc(target["disc"], Join(where, "disc"));
  return config;
}

}  // namespace korvel::emulator
